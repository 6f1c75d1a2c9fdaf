#!/usr/bin/env bash
# Installs every Debian package that the build, the tests, the benchmarks and the fuzzers need.
# Safe to run again: packages already present are skipped.
set -euo pipefail

packages=(
  cmake g++ make ninja-build ccache clang libclang-rt-14-dev clang-format
  libgtest-dev libgmock-dev libbenchmark-dev locales
  liblo-dev liboscpack-dev liblo-tools libpugixml-dev
  juce-modules-source xvfb xauth xdotool x11-utils fonts-liberation pkg-config libfreetype-dev libfontconfig-dev
  openbox xfwm4 dbus-daemon metacity fluxbox icewm twm jwm
  libx11-dev libxrandr-dev libxinerama-dev libxcursor-dev libxext-dev libxrender-dev libgl-dev libasound2-dev
  libpng-dev libjpeg-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#packages[@]} packages present"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# Installs, builds and runs the main job: the stand-in Max host (`maxhost`) loads the trov5.cclink
# bundle, makes one object and plays the example session examples/session.maxhost: a mapping file
# loaded, MIDI to OSC, OSC to MIDI, a "FullPacket", "bang", "clear", "export" and "load", and bad
# input with its console errors. The session runs in a scratch folder that also serves as the home
# folder, where file names without a folder are read and written; the folder is removed afterwards.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target maxhost trov5_cclink

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp examples/*.xml "$work"/
echo "=== maxhost examples/session.maxhost (in $work)"
# The system log's copies of exceptions ("qev[...]: Exception occurred ...") go to standard error.
(cd "$work" && env -u XDG_DATA_HOME HOME="$work" "$root/build/bin/maxhost" "$root/examples/session.maxhost")

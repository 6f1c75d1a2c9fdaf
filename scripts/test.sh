#!/usr/bin/env bash
# Installs, builds and runs every test: the normal build with -Werror, the whole suite again under
# AddressSanitizer + UndefinedBehaviorSanitizer, and a short run of each fuzz target.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc)
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/ccache}
export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-5G}
# Relative paths let a fresh clone in another folder reuse the cache (JUCE alone is minutes).
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
export CTEST_OUTPUT_ON_FAILURE=1

stage_start=0
stage() { stage_start=$(date +%s); echo "=== $1 ($(date +%T))"; }
stage_end() { echo "=== $1 took $(( $(date +%s) - stage_start )) s"; }

stage "install"
bash scripts/install-deps.sh
# A comma-decimal locale proves that number texts ignore the user's locale.
if command -v locale-gen >/dev/null && ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  if [ -w /etc/locale.gen ]; then
    sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    locale-gen >/dev/null || echo "test: could not generate de_DE.UTF-8; locale tests will skip"
  fi
fi
stage_end "install"

stage "build (warnings as errors)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQEV_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
stage_end "build"

stage "tests"
ctest --test-dir build -j "$jobs" --timeout 300
stage_end "tests"

stage "build (address + undefined sanitizers)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQEV_WERROR=ON -DQEV_SANITIZE=ON \
  -DQEV_BENCHMARKS=OFF >/dev/null
cmake --build build-asan -j "$jobs"
stage_end "sanitizer build"

stage "tests under sanitizers"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan -j "$jobs" --timeout 600
stage_end "sanitizer tests"

stage "thread sanitizer (the object's stress test)"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQEV_WERROR=ON -DQEV_BENCHMARKS=OFF \
  -DCMAKE_C_FLAGS=-fsanitize=thread -DCMAKE_CXX_FLAGS=-fsanitize=thread >/dev/null
cmake --build build-tsan -j "$jobs" --target cclink_stress_tests
# Headless covers the hidden-window road; on a virtual display the window opens and closes.
TSAN_OPTIONS=halt_on_error=1 ./build-tsan/objects/cclink_stress_tests
TSAN_OPTIONS=halt_on_error=1 xvfb-run -a ./build-tsan/objects/cclink_stress_tests
stage_end "thread sanitizer"

if ls fuzz/fuzz_*.cpp >/dev/null 2>&1; then
  stage "fuzz build (clang, libFuzzer)"
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQEV_SANITIZE=ON -DQEV_FUZZERS=ON -DQEV_BENCHMARKS=OFF -DQEV_GUI=OFF >/dev/null
  cmake --build build-fuzz -j "$jobs"
  stage_end "fuzz build"
  stage "fuzz runs"
  for f in fuzz/fuzz_*.cpp; do
    name=$(basename "$f" .cpp)
    corpus="fuzz/corpus/${name#fuzz_}"
    work=$(mktemp -d)
    [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/ || true
    echo "--- $name"
    ./build-fuzz/fuzz/"$name" -max_total_time="${QEV_FUZZ_SECONDS:-60}" -rss_limit_mb=4096 -print_final_stats=0 "$work" 2>&1 | tail -n 2
    rm -rf "$work"
  done
  stage_end "fuzz runs"
fi
echo "all tests passed"

#!/usr/bin/env bash
# Installs, builds and runs the main job. Until the object and its stand-in host exist, this runs
# the core library's test binary as a smoke check.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
TZ=UTC ./build/core/qev_core_tests --gtest_brief=1

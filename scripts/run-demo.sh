#!/usr/bin/env bash
# Starts the program against simulated devices.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
exec build/app/talmi-kt380 --simulate=keyboard,headset "$@"

#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds Kalmira and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target kalmira -j"$(nproc)"
exec build/app/kalmira

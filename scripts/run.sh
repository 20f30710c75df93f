#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds Kalmira and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
if [ -x build/app/kalmira ]; then
  exec build/app/kalmira
fi
echo "The main window is not built yet; the components are built in build/."

#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)")

# The whole suite again, built by Clang, under AddressSanitizer and UndefinedBehaviorSanitizer
# (float-to-int overflow included), at -O1 without the benchmarks; any report fails its test.
# So every change is compiled by both compilers.
start=$SECONDS
cmake -S . -B build-san -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALMIRA_BENCH=OFF \
  -DKALMIRA_SANITIZE=ON
cmake --build build-san -j"$(nproc)"
(cd build-san && QT_QPA_PLATFORM=offscreen \
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --output-on-failure -j"$(nproc)")
echo "Sanitizer build and tests: $((SECONDS - start)) s"

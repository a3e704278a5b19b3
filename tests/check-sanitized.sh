#!/usr/bin/env bash
# Builds every test with AddressSanitizer, UBSan and the standard library's
# checks in a build folder of its own, and runs them; any report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

# Every report ends the process with a failure. The leak suppressions name
# only system libraries that keep a block until exit (see the file).
export ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DSCURROW_SANITIZE=ON -DSCURROW_BENCH=OFF
cmake --build build-sanitize -j"$(nproc)"
ctest --test-dir build-sanitize --output-on-failure -j"$(nproc)"

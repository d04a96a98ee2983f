#!/usr/bin/env bash
# Builds everything with AddressSanitizer + UndefinedBehaviorSanitizer (clang-14) in its own
# build directory and runs the whole test suite there. Any sanitizer report fails the run.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install_deps.sh"
build="${BRIXO_SANITIZE_BUILD:-$top/build-asan}"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# Test discovery runs the binaries while building, so the suppressions must be known then too.
export LSAN_OPTIONS="suppressions=$top/tests/sanitizers/lsan.supp:print_suppressions=0"
CC=clang-14 CXX=clang++-14 cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DBRIXO_SANITIZE=ON -DBRIXO_TESTS=ON -DBRIXO_WERROR="${BRIXO_WERROR:-OFF}"
cmake --build "$build" -j2
cd "$build"
ctest --output-on-failure -j2

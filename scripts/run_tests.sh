#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test suite.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install_deps.sh"
build="${BRIXO_TEST_BUILD:-$top/build-tests}"
cmake -S "$top" -B "$build" -G Ninja -DBRIXO_TESTS=ON -DBRIXO_WERROR="${BRIXO_WERROR:-OFF}"
cmake --build "$build"
cd "$build"
ctest --output-on-failure -j2

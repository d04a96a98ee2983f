#!/usr/bin/env bash
# Regenerates the user guide's screenshots in docs/images on a virtual X server.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install_deps.sh"
build="$top/build"
cmake -S "$top" -B "$build" -G Ninja -DBRIXO_TESTS=OFF >/dev/null
cmake --build "$build" --target brixo_screenshot_tour
xvfb-run -a -s "-screen 0 1600x1000x24" "$build/app/brixo_screenshot_tour" "$top/examples" "$top/docs/images"

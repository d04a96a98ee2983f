#!/usr/bin/env bash
# Installs what is missing, builds Brixo and starts it. Without a display it runs Brixo on a
# virtual X server, saves a screenshot and prints where it is.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install_deps.sh"
build="$top/build"
cmake -S "$top" -B "$build" -G Ninja -DBRIXO_TESTS=OFF >/dev/null
cmake --build "$build" --target brixo
exe="$build/app/brixo"
panel=()
[ -f "$top/examples/adder_a.jvp" ] && panel=("$top/examples/adder_a.jvp")
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$exe" "${panel[@]}"
fi
shot="$build/brixo-screenshot.png"
echo "No display found: starting Brixo on a virtual X server for a screenshot."
xvfb-run -a -s "-screen 0 1600x1000x24" bash -c '
  "$1" "${@:3}" & pid=$!
  sleep 4
  import -window root "$2"
  kill $pid 2>/dev/null || true
  wait $pid 2>/dev/null || true
' _ "$exe" "$shot" "${panel[@]}"
echo "Brixo started and was captured: $shot"

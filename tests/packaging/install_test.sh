#!/usr/bin/env bash
# Installs the build into a throw-away prefix and uses it the way a lab PC and a lab program do:
# desktop file and MIME type valid, libraries with versioned SONAMEs, a C client built through
# pkg-config against the installed headers only, and run.
set -euo pipefail
build_dir=$1; src_dir=$2; want_vestrix=$3
prefix=$(mktemp -d); trap 'rm -rf "$prefix"' EXIT
cmake --install "$build_dir" --prefix "$prefix" > "$prefix/install.log"

libdir=$(find "$prefix" -name pkgconfig -type d | head -1); libdir=${libdir%/pkgconfig}
fail() { echo "FAIL: $*" >&2; exit 1; }
# A command's whole output, then the match: `cmd | grep -q` fails under pipefail whenever grep
# stops reading before cmd has written everything.
has() { grep -q -- "$2" <<<"$1"; }

test -x "$prefix/bin/brixo" || fail "program not installed"
test -x "$prefix/bin/brixo-cli" || fail "brixo-cli not installed"
test -f "$prefix/share/brixo/examples/adder_a.vectors" || fail "example vector file not installed"
test -x "$prefix/bin/brixo-labd" || fail "brixo-labd not installed"
has "$("$prefix/bin/brixo-labd" --help)" "^  listening on HOST:PORT" || fail "brixo-labd --help lacks its ready line"
# The installed command-line tool finds the installed lab server beside it and grades the
# installed Verilog example in simulation.
verilog="$prefix/share/brixo/examples/verilog"
out=$("$prefix/bin/brixo-cli" --sim "$verilog/adder.v" test "$verilog/adder.vectors" --panel "$verilog/adder.jvp") ||
  fail "the Verilog example does not pass its vectors from the prefix: $out"
desktop-file-validate "$prefix/share/applications/brixo.desktop" || fail "desktop file invalid"
test -f "$prefix/share/mime/application/x-brixo-panel.xml" || fail "MIME type not registered"
grep -q '<glob pattern="\*.jvp"/>' "$prefix/share/mime/packages/brixo-panel.xml" || fail "no .jvp glob"
test -f "$prefix/share/icons/hicolor/scalable/apps/brixo.svg" || fail "no application icon"
test -f "$prefix/share/icons/hicolor/scalable/mimetypes/application-x-brixo-panel.svg" || fail "no panel icon"
grep -q "udev rules" "$prefix/install.log" || fail "install does not say where the udev rules go"

libs=(tamro)
[ "$want_vestrix" = 1 ] && libs+=(vestrix)
export PKG_CONFIG_PATH="$libdir/pkgconfig"
for lib in "${libs[@]}"; do
  so="$libdir/lib$lib.so"
  test -L "$so" || fail "lib$lib.so development link missing"
  has "$(readelf -d "$so")" "SONAME.*\[lib$lib.so.1\]" || fail "lib$lib.so has no versioned SONAME"
  test -f "$prefix/include/$lib.h" || fail "$lib.h not installed"
  # The client is compiled outside the source tree's include paths: only the prefix is visible.
  # A sanitized build's libraries need the client built with the same compiler and runtime.
  # shellcheck disable=SC2086
  ${CLIENT_CC:-cc} ${CLIENT_FLAGS:-} -std=c11 -Wall -Werror -o "$prefix/${lib}_client" "$src_dir/${lib}_client.c" \
     $(pkg-config --cflags --libs "$lib") -Wl,-rpath,"$libdir"
  out=$("$prefix/${lib}_client") || fail "$lib client failed: $out"
  echo "$out"
done
# The installed program must find its libraries inside the prefix (no build-tree paths).
if has "$(ldd "$prefix/bin/brixo")" "not found"; then fail "installed brixo misses a library"; fi
if has "$(ldd "$prefix/bin/brixo")" "$build_dir"; then fail "installed brixo uses the build tree"; fi
if has "$(ldd "$prefix/bin/brixo-cli")" "not found\|$build_dir"; then fail "installed brixo-cli misses its libraries"; fi
has "$("$prefix/bin/brixo-cli" --help)" "test VECTORS" || fail "installed brixo-cli --help"
echo "install test passed"

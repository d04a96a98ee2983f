#!/usr/bin/env bash
# Builds the libFuzzer targets (clang-14, ASan+UBSan) in their own build directory and runs each
# for the given number of seconds (default 60), starting from the seed corpus in
# tests/fuzz/corpus/<target>/. Prints per target: seconds, executions, coverage (cov/ft from
# libFuzzer's final stats), crash files and sanitizer reports. Exits non-zero on any finding.
#   scripts/fuzz.sh [seconds-per-target] [target ...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds="${1:-60}"
shift || true
"$top/scripts/install_deps.sh"
build="${BRIXO_FUZZ_BUILD:-$top/build-fuzz}"
CC=clang-14 CXX=clang++-14 cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBRIXO_FUZZ=ON -DBRIXO_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target fuzzers
bin="$build/tests/fuzz"
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in "$bin"/fuzz_*; do [ -x "$f" ] && targets+=("$(basename "$f")"); done
fi

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export LSAN_OPTIONS="suppressions=$top/tests/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
out="$build/fuzz-run"
mkdir -p "$out"
failed=0
printf '%-18s %8s %12s %8s %8s %8s %10s\n' target seconds executions cov ft crashes sanitizer
for t in "${targets[@]}"; do
  seeds="$top/tests/fuzz/corpus/$t"
  work="$out/$t/corpus"      # grows during the run; the committed seeds stay as they are
  findings="$out/$t/findings"
  mkdir -p "$work" "$findings"
  rm -f "$findings"/*
  log="$out/$t/log.txt"
  start=$(date +%s)
  # Qt is built without frame pointers: the JSON readers need the slow unwinder, so a leak
  # inside Qt's parser shows the parser's frame and its suppression applies.
  unwind=""
  case "$t" in fuzz_jvp|fuzz_config) unwind=":fast_unwind_on_malloc=0" ;; esac
  set +e
  ASAN_OPTIONS="$ASAN_OPTIONS$unwind" "$bin/$t" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$findings/" "$work" "$seeds" >"$log" 2>&1
  rc=$?
  set -e
  ran=$(( $(date +%s) - start ))
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1 || true)
  last=$(grep -E '^#[0-9]+' "$log" | tail -1 || true)
  cov=$(grep -o 'cov: [0-9]*' <<<"$last" | grep -o '[0-9]*' || true)
  ft=$(grep -o 'ft: [0-9]*' <<<"$last" | grep -o '[0-9]*' || true)
  crashes=$(find "$findings" -type f | wc -l)
  reports=$(grep -cE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:' "$log" || true)
  printf '%-18s %8s %12s %8s %8s %8s %10s\n' "$t" "$ran" "${execs:-?}" "${cov:-?}" "${ft:-?}" "$crashes" "$reports"
  if [ "$rc" -ne 0 ] || [ "$crashes" -ne 0 ] || [ "$reports" -ne 0 ]; then
    failed=1
    echo "  findings in $findings, log $log" >&2
    grep -m3 -E 'ERROR:|runtime error:|SUMMARY' "$log" >&2 || true
  fi
done
exit "$failed"

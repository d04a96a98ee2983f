#!/bin/bash
# Checks that the tracked C and C++ sources follow .clang-format. Lists the files that do not
# and exits 1; exits 0 when all do. Usage: scripts/check_format.sh [clang-format binary]
set -euo pipefail
cd "$(dirname "$0")/.."
tool=${1:-${CLANG_FORMAT:-clang-format}}
if ! command -v "$tool" >/dev/null; then
    echo "check_format: $tool not found (apt-get install clang-format)" >&2
    exit 2
fi
mapfile -d '' files < <(git ls-files -z -- '*.c' '*.h' '*.cpp')
# One run over every file; each unformatted spot is reported as "FILE:LINE:COL: error: ...".
mapfile -t bad < <("$tool" --style=file --dry-run --Werror "${files[@]}" 2>&1 |
                    sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: .*/\1/p' | sort -u)
if ((${#bad[@]})); then
    echo "Not formatted (${#bad[@]} of ${#files[@]} files; format with: $tool -i --style=file FILE):"
    printf '  %s\n' "${bad[@]}"
    exit 1
fi
echo "All ${#files[@]} sources formatted."

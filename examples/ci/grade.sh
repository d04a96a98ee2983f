#!/usr/bin/env bash
# The lines a CI job runs to grade a student's repository in simulation. .gitlab-ci.yml and
# github-workflow.yml call it; run the same way on a laptop, it does what the job does.
#
#   grade.sh install               install what building and running Brixo needs (Debian 12, as
#                                  root), then build Brixo from BRIXO_SOURCE and install it
#   grade.sh run VECTORS [FILE...] test the design (default: the .v and .sv files in the current
#                                  folder) against the vector file; the JUnit report goes to
#                                  REPORT. The exit status is brixo-cli's: 0 only when every row
#                                  passes, so the job fails otherwise.
#
# Environment: BRIXO_SOURCE, a Brixo source folder or a git URL to clone (install);
# REPORT (default report.xml), PANEL, TOP, SIMULATOR, KEYS_ACTIVE_LOW=1, and BRIXO_CLI
# (default brixo-cli on PATH) (run).
set -euo pipefail

install_brixo() {
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        build-essential cmake ninja-build pkg-config git ca-certificates \
        qtbase5-dev libqt5svg5-dev qttools5-dev qttools5-dev-tools \
        libhidapi-dev libusb-1.0-0-dev libcpp-httplib-dev nlohmann-json3-dev iverilog
    local source=${BRIXO_SOURCE:?set BRIXO_SOURCE to a Brixo source folder or git URL}
    if [ ! -d "$source" ]; then
        git clone --depth 1 "$source" brixo-source
        source=brixo-source
    fi
    # The README's "Installing" commands.
    (
        cd "$source"
        cmake -S . -B build -G Ninja -DBRIXO_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr/local
        cmake --build build
        cmake --install build
    )
}

run_vectors() {
    [ $# -ge 1 ] || { echo "usage: grade.sh run VECTORS [FILE.v...]" >&2; exit 2; }
    local vectors=$1
    shift
    if [ $# -eq 0 ]; then
        shopt -s nullglob
        set -- ./*.v ./*.sv # ./ keeps a file named like an option a file
        [ $# -gt 0 ] || { echo "grade.sh: no .v or .sv file in $(pwd)" >&2; exit 2; }
    fi
    local options=()
    [ -z "${TOP:-}" ] || options+=(--top "$TOP")
    [ -z "${SIMULATOR:-}" ] || options+=(--simulator "$SIMULATOR")
    [ -z "${KEYS_ACTIVE_LOW:-}" ] || options+=(--keys-active-low)
    [ -z "${PANEL:-}" ] || options+=(--panel "$PANEL")
    "${BRIXO_CLI:-brixo-cli}" --sim "$@" "${options[@]}" test "$vectors" --junit "${REPORT:-report.xml}"
}

case "${1:-}" in
install) install_brixo ;;
run) shift; run_vectors "$@" ;;
*) echo "usage: grade.sh install | grade.sh run VECTORS [FILE.v...]" >&2; exit 2 ;;
esac

#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, run, test and fuzz Brixo.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config ccache
  qtbase5-dev libqt5svg5-dev qttools5-dev qttools5-dev-tools qt5-qmake qttranslations5-l10n
  libhidapi-dev libusb-1.0-0-dev
  iverilog verilator libcpp-httplib-dev nlohmann-json3-dev libboost-dev libssl-dev openssl bubblewrap
  gtkwave librsvg2-bin libsodium-dev libsqlite3-dev postgresql libpq-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang-14 libclang-rt-14-dev clang-format
  xvfb xauth x11-apps imagemagick python3 desktop-file-utils shared-mime-info
  fonts-wqy-microhei fonts-dejavu-core
  chromium chromium-driver python3-selenium python3-pil
)
# The web client builds with npm; a machine that has its own node and npm keeps them.
command -v node >/dev/null 2>&1 || packages+=(nodejs)
command -v npm >/dev/null 2>&1 || packages+=(npm)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# Installs the Debian packages KarVel needs (when missing) and builds it.
# Usage: scripts/setup.sh [--no-test-tools] BUILD_DIR BUILD_TYPE [extra cmake options...]
# --no-test-tools installs only what building and running KarVel needs, for a
# build without tests or benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."

test_tools=yes
if [ "${1:-}" = --no-test-tools ]; then
  test_tools=no
  shift
fi
build_dir=${1:-build}
build_type=${2:-RelWithDebInfo}
shift 2 || true

# Building and running: a virtual screen (xvfb) starts KarVel where there is no screen.
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6printsupport6 libgl-dev
  qt6-multimedia-dev libqt6multimedia6
  libsqlite3-dev fonts-dejavu-core xvfb xauth
  mdbtools-dev libglib2.0-dev
  libcups2-dev
)
# Tests and benchmarks: frameworks, barcode and page readers, a CUPS server,
# clang for the fuzzers, the validators and package tools the installation
# test runs, and imagemagick for the README's screenshot.
if [ "$test_tools" = yes ]; then
  packages+=(
    libqt6test6 libgtest-dev libgmock-dev libbenchmark-dev
    libzbar-dev poppler-utils xdotool imagemagick
    clang libclang-rt-14-dev
    cups-daemon cups-client printer-driver-cups-pdf
    desktop-file-utils appstream groff-base man-db dpkg-dev file
  )
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installation des paquets manquants : ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="$build_type" "$@" >/dev/null
cmake --build "$build_dir"

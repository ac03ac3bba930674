#!/usr/bin/env bash
# Installs the Debian packages KarVel needs (when missing) and builds it.
# Usage: scripts/setup.sh BUILD_DIR BUILD_TYPE [extra cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build}
build_type=${2:-RelWithDebInfo}
shift 2 || true

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6printsupport6 libqt6test6 libgl-dev
  qt6-multimedia-dev libqt6multimedia6
  libsqlite3-dev libgtest-dev libgmock-dev libbenchmark-dev
  libzbar-dev poppler-utils fonts-dejavu-core xvfb xauth xdotool
  mdbtools-dev libglib2.0-dev
  clang libclang-rt-14-dev
  libcups2-dev cups-daemon cups-client printer-driver-cups-pdf
)
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

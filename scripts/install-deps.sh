#!/usr/bin/env bash
# Installs the Debian packages Corvane needs to build, test and run.
# Idempotent; run as root (or through sudo). Only packages from the Debian archive.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  clang libclang-rt-14-dev
  zlib1g-dev libcurl4-openssl-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-wayland
  libcpp-httplib-dev
  gnuplot-qt
  libgtest-dev libgmock-dev libbenchmark-dev libboost-math-dev
  xvfb xauth sox libsox-fmt-all python3
  python3-numpy python3-scipy python3-pandas r-base-core
  xdg-utils x11-utils
  locales
  parallel
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# Installs what TAVO needs on Debian 12 and configures + builds it in build/.
# Usage: scripts/setup.sh [extra cmake options]
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev libomp-dev
  clang libclang-rt-14-dev
  libjpeg62-turbo-dev libraw-dev libraw-bin libcfitsio-dev libtiff-dev
  libcfitsio10 libtiff6  # opened at run time rather than linked, so listed in their own right
  qt6-base-dev libgl-dev
  fonts-noto-cjk xvfb xauth
  imagemagick libtiff-tools poppler-utils python3 python3-pil python3-numpy python3-astropy fitsverify
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVO_WERROR=ON "$@" > /dev/null
ninja -C build -j"$(nproc)"

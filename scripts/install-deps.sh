#!/usr/bin/env bash
# Installs the Debian packages Parcelwick builds and tests with. Does nothing when all are present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-image-formats-plugins libgl-dev libxcb1-dev
  libplist-dev libplist++-dev libplist-utils
  libpoppler-qt6-dev poppler-utils
  libtiff-dev libtiff-tools
  libspectre-dev
  libfreexl-dev libzip-dev
  libicu-dev
  swish-e-dev swish-e
  libhunspell-dev hunspell-en-us
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core fonts-liberation
  python3 python3-vobject python3-openpyxl python3-xlwt ccache
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"

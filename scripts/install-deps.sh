#!/usr/bin/env bash
# Installs what the build, the tests and the benchmarks need from Debian's packages, if missing.
set -euo pipefail

packages=(
  g++ make cmake pkg-config libxgboost-dev
  qtbase5-dev qtbase5-dev-tools libqt5svg5-dev qttools5-dev-tools libqt5sql5-sqlite libsqlite3-dev
  libgtest-dev libbenchmark-dev zlib1g-dev libzip-dev libisal-dev libkissfft-dev
  xvfb xauth fonts-dejavu-core ccache python3
  clang libclang-rt-14-dev
  desktop-file-utils appstream librsvg2-bin dpkg-dev imagemagick libxml2-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing missing packages: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

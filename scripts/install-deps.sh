#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the benchmarks need.
# Idempotent and quiet when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config g++-multilib
  libgtest-dev libgmock-dev libbenchmark-dev
  libxml2-dev
  libcairo2-dev libpango1.0-dev libfontconfig-dev fonts-dejavu-core
  libsdl2-dev xvfb xauth
  libpng-dev libjpeg-dev libtiff-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev
  libhidapi-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

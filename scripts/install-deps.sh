#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks use
# today. Idempotent and quiet when everything is already there. A package
# manager busy elsewhere is waited for (up to ten minutes), not failed on.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev  # GoogleTest's CMake package names gmock too
  libxml2-dev                                 # the preference files, the XML layer
  libxml2-utils                               # xmllint, the peer that checks the XML files we write
  libcairo2-dev libpango1.0-dev fonts-dejavu-core libsdl2-dev  # the window toolkit
  xvfb xauth                                  # windows in tests without a display
  libpng-dev                                  # the stand-in host's frames
  libjpeg62-turbo-dev libtiff-dev             # JPEG and TIFF sequences of the output jobs
  libhidapi-dev                               # the USB control panel
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev  # movies and stills of the media library
  ffmpeg opencolorio-tools openimageio-tools  # peers that read the curve, LUT and image files we write
  clang lld libclang-rt-dev                   # the clang build and the fuzz targets (libFuzzer, sanitizers)
  gcc-multilib g++-multilib                   # the 32-bit build of the plug-in
  qemu-user                                   # runs its tests where the kernel cannot run 32-bit programs
  locales                                     # a decimal-comma locale for the number-writing tests
)

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

# Files must be written the same whatever the user's locale; the tests check
# that under a locale whose decimal separator is a comma.
add_comma_locale() {
  locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' && return 0
  $sudo localedef -i de_DE -c -f UTF-8 de_DE.UTF-8 || echo "install-deps: could not make the de_DE.UTF-8 locale" >&2
}

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  add_comma_locale
  exit 0
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt=($sudo apt-get -o DPkg::Lock::Timeout=600)
"${apt[@]}" update -qq
"${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
add_comma_locale

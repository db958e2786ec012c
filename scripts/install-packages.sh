#!/usr/bin/env bash
# Installs what korvif32 needs on a Debian machine, as root.
#   install-packages.sh build   the native build (compiler, CMake, Ninja)
#   install-packages.sh test    everything the tests need as well: the mingw-w64 cross compiler,
#                               32-bit Wine, Xvfb and xdotool, GoogleTest, Google Benchmark,
#                               and the independent fax, image and PDF tools used as oracles
set -euo pipefail

what=${1:-test}
packages=(g++ cmake ninja-build make)
if [ "$what" = test ]; then
    packages+=(g++-mingw-w64-i686 mingw-w64-tools wine wine32 xvfb xdotool x11-apps
               libgtest-dev libgmock-dev libbenchmark-dev libtiff-dev
               netpbm libtiff-tools sfftobmp imagemagick poppler-utils qpdf mupdf-tools ghostscript
               clang python3 util-linux procps faketime)
fi

missing=()
for package in "${packages[@]}"; do
    arch_package=$package
    [ "$package" = wine32 ] && arch_package=wine32:i386
    dpkg-query -W -f='${Status}' "$arch_package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$arch_package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages: ${missing[*]} (run this script as root to install them)" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
if [ "$what" = test ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the simulated
# station need, when any is missing, and python3-pil, with which
# tools/draw/draw.py redraws the icons and button faces (mkfs.fat and fusefat
# for the card test on real FAT images, f3 for scripts/bench.sh). Safe to run
# again. Recommended packages come along: Wine's X11 driver loads several of
# them at run time. Packages named as arguments are installed too.
#
# Wine's 32-bit side (wine32, of the i386 architecture, which is added) runs
# the i686 build's tests, on a machine that runs 32-bit programs at all
# (scripts/lib/wine.sh asks it once); elsewhere it is not installed, as it
# could not run. Install it before Wine makes any prefix: once it is there
# Debian's wine starts its 32-bit loader first, and a 64-bit prefix made
# without it fails to load kernel32.dll (scripts/lib/wine.sh makes such a
# prefix anew). clang and its runtime build the fuzz targets.
set -euo pipefail
source "$(dirname "$0")/lib/wine.sh"

packages=(
  cmake ninja-build g++ make googletest python3 python3-pil
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine wine64 fonts-wine fonts-liberation xvfb xauth x11-utils xdotool imagemagick
  dosfstools fusefat f3 clang libclang-rt-14-dev
  "$@"
)
if talven_runs_32bit; then packages+=(wine32:i386); fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup: run as root or install sudo" >&2; exit 1; }
  sudo=sudo
fi
export DEBIAN_FRONTEND=noninteractive
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}" >/dev/null

#!/usr/bin/env bash
# Runs a Windows test program under Wine with two real FAT cards as drives of
# its prefix: a FAT16 and a FAT32 image made by mkfs.fat in FOLDER, mounted
# through fusefat and linked into the prefix's dosdevices under free letters.
# The program finds their letters in TALVEN_FAT16_DRIVE and TALVEN_FAT32_DRIVE
# ("Q:"). Where they cannot be mounted it runs without them and
# TALVEN_FAT_SKIP says why. The Windows build's FAT test runs through it:
#   fat-drives.sh PREFIX ARCH FOLDER PROGRAM.exe [ARGS...]   (ARCH as for wine-run.sh)
set -euo pipefail
lib=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$lib/wine.sh"
prefix=$1 arch=$2 folder=$3
shift 3
talven_wine_prefix "$prefix" "$arch"
mkdir -p "$folder"
folder=$(cd "$folder" && pwd)
dosdevices=$WINEPREFIX/dosdevices

mounted() { [ "$(stat -f -c %T "$1" 2>/dev/null)" = fuseblk ]; }

# fusefat lets go of a busy mount point once it has answered the last close.
unmount() {
  local attempt
  for attempt in $(seq 50); do
    mounted "$1" || return 0
    fusermount -u "$1" 2>/dev/null || sleep 0.1
  done
  mounted "$1" && fusermount -uz "$1" 2>/dev/null || true
}

# Links of an earlier run that was killed, then this run's mounts and images.
cleanup() {
  local link kind
  for link in "$dosdevices"/?:; do
    [ -L "$link" ] && [[ "$(readlink "$link")" == "$folder"/* ]] && rm -f "$link"
  done
  for kind in fat16 fat32; do
    unmount "$folder/$kind"
    rm -f "$folder/$kind.img"
  done
}

# A FAT image of SIZE made with mkfs.fat OPTIONS, mounted on FOLDER/KIND and
# linked as the first free letter from Q: on; prints the letter.
map_card() {
  local kind=$1 size=$2 options=$3 letter
  truncate -s "$size" "$folder/$kind.img" && mkfs.fat $options "$folder/$kind.img" >/dev/null 2>&1 ||
    { echo "mkfs.fat $options failed on a $size image"; return 1; }
  mkdir -p "$folder/$kind"
  fusefat -o rw+ "$folder/$kind.img" "$folder/$kind" >/dev/null 2>&1 && mounted "$folder/$kind" ||
    { echo "fusefat could not mount the $kind image"; return 1; }
  for letter in q r s t u v w x y; do
    [ -e "$dosdevices/$letter:" ] || [ -L "$dosdevices/$letter:" ] && continue
    ln -s "$folder/$kind" "$dosdevices/$letter:"
    echo "${letter^^}:"
    return 0
  done
  echo "no free drive letter from Q: to Y: in $dosdevices"
  return 1
}

cleanup
trap cleanup EXIT
unset TALVEN_FAT16_DRIVE TALVEN_FAT32_DRIVE TALVEN_FAT_SKIP
if [ ! -r /dev/fuse ] || [ ! -w /dev/fuse ]; then
  export TALVEN_FAT_SKIP="no usable /dev/fuse: FAT images cannot be mounted here"
elif ! command -v mkfs.fat >/dev/null || ! command -v fusefat >/dev/null; then
  export TALVEN_FAT_SKIP="mkfs.fat or fusefat missing (packages dosfstools and fusefat, scripts/setup.sh)"
elif ! drive16=$(map_card fat16 32M "-F 16 -s 8 -n CARD"); then
  export TALVEN_FAT_SKIP=$drive16
# FAT32 needs 65525 clusters at least: of 1 KiB, as fusefat reports its blocks.
elif ! drive32=$(map_card fat32 70M "-F 32 -s 2 -n CARD"); then
  export TALVEN_FAT_SKIP=$drive32
else
  export TALVEN_FAT16_DRIVE=$drive16 TALVEN_FAT32_DRIVE=$drive32
fi
status=0
"$lib/wine-run.sh" "$prefix" "$arch" "$@" || status=$?
exit $status

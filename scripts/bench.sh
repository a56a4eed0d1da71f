#!/usr/bin/env bash
# scripts/bench.sh [MIB] [FOLDER]: the card test's speed against f3 and dd on
# the same amount of data (MIB MiB, default 1024) in the same folder (default
# build/bench-data). Prints figures; its last line compares them:
#   engine/f3 time X.XX  engine/dd write Y.YY  engine/dd read Z.ZZ
# (the engine's total time over f3write + f3read; the engine's write and
# verify throughput over dd's direct-I/O write and read with 1 MiB blocks).
set -euo pipefail
cd "$(dirname "$0")/.."

mib=${1:-1024}
folder=${2:-build/bench-data}
[[ "$mib" =~ ^[1-9][0-9]*$ ]] || { echo "usage: scripts/bench.sh [MIB] [FOLDER]" >&2; exit 2; }

scripts/setup.sh f3
cmake --preset bench >/dev/null
cmake --build --preset bench -j2 >/dev/null

mkdir -p "$folder"
work="$(cd "$folder" && pwd)/talven-bench-$$"
mkdir "$work"
trap 'rm -rf "$work"' EXIT

# f3 writes whole GiB files: it gets the amount rounded up to whole GiB, and
# its time is scaled back to MIB.
gib=$(((mib + 1023) / 1024))
need_kib=$(((gib * 1024 + 64) * 1024))
avail_kib=$(df -Pk "$work" | awk 'NR == 2 { print $4 }')
if [ "$avail_kib" -lt "$need_kib" ]; then
  echo "bench: $work has $((avail_kib / 1024)) MiB free, needs $((need_kib / 1024))" >&2
  exit 1
fi
fstype=$(stat -f -c %T "$work")
case "$fstype" in
  tmpfs | ramfs) echo "bench: note: $work is on $fstype, a memory, not a medium" ;;
esac
echo "bench: $mib MiB in $work ($fstype)"

now() { date +%s.%N; }
# Seconds of a dd run, from its summary line.
dd_seconds() { LC_ALL=C dd "$@" 2>&1 | awk '/copied/ { for (i = 1; i <= NF; ++i) if ($i == "s,") print $(i - 1) }'; }

# The engine through the real TestDrive on drive E: mapped to the folder.
engine=$(build/bench/tests/bench/talven-bench "$work" "$mib")
echo "$engine"
figure() { awk -v key="$1" '$1 == key { print $2 }' <<<"$engine"; }
engine_write=$(figure engine_write_mbs)
engine_read=$(figure engine_verify_mbs)
engine_total=$(figure engine_total_s)

mkdir "$work/f3"
start=$(now)
f3write --end-at="$gib" --show-progress=0 "$work/f3" >"$work/f3write.log"
middle=$(now)
f3read --show-progress=0 "$work/f3" >"$work/f3read.log"
end=$(now)
if ! grep -q "Data LOST: 0.00 Byte" "$work/f3read.log"; then
  cat "$work/f3read.log" >&2
  echo "bench: f3read found lost data" >&2
  exit 1
fi
rm -rf "$work/f3"
f3_total=$(awk -v a="$start" -v b="$middle" -v c="$end" -v mib="$mib" -v gib="$gib" \
  'BEGIN { printf "%.3f", (c - a) * mib / (gib * 1024) }')
awk -v a="$start" -v b="$middle" -v c="$end" -v gib="$gib" 'BEGIN {
  bytes = gib * 1073741824
  printf "f3: %d GiB, write %.1f MB/s, read %.1f MB/s\n", gib, bytes / (b - a) / 1e6, bytes / (c - b) / 1e6 }'
echo "f3_total_s $f3_total"

# The device's limit: direct I/O in 1 MiB blocks, data that is not zeros.
bytes=$((mib * 1048576))
# yes ends on SIGPIPE when dd has had its blocks.
dd_write_s=$({ yes UUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUU || true; } |
  dd_seconds of="$work/dd.bin" bs=1M count="$mib" iflag=fullblock oflag=direct conv=fsync)
dd_read_s=$(dd_seconds if="$work/dd.bin" of=/dev/null bs=1M iflag=direct)
rm -f "$work/dd.bin"
dd_write=$(awk -v b="$bytes" -v s="$dd_write_s" 'BEGIN { printf "%.1f", b / s / 1e6 }')
dd_read=$(awk -v b="$bytes" -v s="$dd_read_s" 'BEGIN { printf "%.1f", b / s / 1e6 }')
echo "dd_write_mbs $dd_write"
echo "dd_read_mbs $dd_read"

awk -v et="$engine_total" -v ft="$f3_total" -v ew="$engine_write" -v dw="$dd_write" \
  -v er="$engine_read" -v dr="$dd_read" \
  'BEGIN { printf "engine/f3 time %.2f  engine/dd write %.2f  engine/dd read %.2f\n", et / ft, ew / dw, er / dr }'

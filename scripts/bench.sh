#!/usr/bin/env bash
# scripts/bench.sh [MIB] [FOLDER]: the card test's speed against f3 and dd on
# the same amount of data (MIB MiB, default 1024) in the same folder (default
# build/bench-data). Runs BENCH_ROUNDS rounds (default 3) of all three, prints
# every round's figures, and as its last line the median over the rounds of
#   engine/f3 time X.XX  engine/dd write Y.YY  engine/dd read Z.ZZ
# (the engine's total time over f3write + f3read; the engine's write and
# verify throughput over dd's direct-I/O write and read with 1 MiB blocks).
set -euo pipefail
cd "$(dirname "$0")/.."

mib=${1:-1024}
folder=${2:-build/bench-data}
rounds=${BENCH_ROUNDS:-3}
[[ "$mib" =~ ^[1-9][0-9]*$ && "$rounds" =~ ^[1-9][0-9]*$ ]] ||
  { echo "usage: [BENCH_ROUNDS=N] scripts/bench.sh [MIB] [FOLDER]" >&2; exit 2; }

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
echo "bench: $mib MiB in $work ($fstype), $rounds rounds"

now() { date +%s.%N; }
calc() { awk "BEGIN { printf \"%.${2:-1}f\", $1 }"; }

# The engine through the real TestDrive on drive E: mapped to the folder.
run_engine() {
  local out
  out=$(build/bench/tests/bench/talven-bench "$work" "$mib")
  echo "$out" | sed 's/^/  /'
  figure() { awk -v key="$1" '$1 == key { print $2 }' <<<"$out"; }
  engine_write=$(figure engine_write_mbs)
  engine_read=$(figure engine_verify_mbs)
  engine_total=$(figure engine_total_s)
}

run_f3() {
  mkdir "$work/f3"
  local start middle end
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
  # Not in f3's total: f3 leaves its files, the card test deletes its own.
  local removed
  removed=$(now)
  rm -rf "$work/f3"
  removed=$(calc "$(now) - $removed" 3)
  f3_total=$(calc "($end - $start) * $mib / ($gib * 1024)" 3)
  echo "  f3: $gib GiB, write $(calc "$gib * 1073741824 / ($middle - $start) / 1e6") MB/s," \
    "read $(calc "$gib * 1073741824 / ($end - $middle) / 1e6") MB/s, total for $mib MiB $f3_total s" \
    "(its files removed afterwards in $removed s)"
}

# Seconds of a dd run, from its summary line.
dd_seconds() { LC_ALL=C dd "$@" 2>&1 | awk '/copied/ { for (i = 1; i <= NF; ++i) if ($i == "s,") print $(i - 1) }'; }

# The device's limit: direct I/O in 1 MiB blocks, data that is not zeros
# (yes ends on SIGPIPE when dd has had its blocks).
run_dd() {
  local write_s read_s bytes=$((mib * 1048576))
  write_s=$({ yes UUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUU || true; } |
    dd_seconds of="$work/dd.bin" bs=1M count="$mib" iflag=fullblock oflag=direct conv=fsync)
  read_s=$(dd_seconds if="$work/dd.bin" of=/dev/null bs=1M iflag=direct)
  rm -f "$work/dd.bin"
  dd_write=$(calc "$bytes / $write_s / 1e6")
  dd_read=$(calc "$bytes / $read_s / 1e6")
  echo "  dd: write $dd_write MB/s, read $dd_read MB/s"
}

ratios_f3=() ratios_write=() ratios_read=()
for round in $(seq "$rounds"); do
  echo "round $round"
  run_engine
  run_dd
  run_f3
  ratios_f3+=("$(calc "$engine_total / $f3_total" 2)")
  ratios_write+=("$(calc "$engine_write / $dd_write" 2)")
  ratios_read+=("$(calc "$engine_read / $dd_read" 2)")
  echo "  engine/f3 time ${ratios_f3[-1]}  engine/dd write ${ratios_write[-1]}  engine/dd read ${ratios_read[-1]}"
done

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { printf "%.2f", v[int((NR + 1) / 2)] }'; }
printf 'engine/f3 time %s  engine/dd write %s  engine/dd read %s\n' \
  "$(median "${ratios_f3[@]}")" "$(median "${ratios_write[@]}")" "$(median "${ratios_read[@]}")"

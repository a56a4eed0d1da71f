#!/usr/bin/env bash
# scripts/bench.sh [--fat] [MIB] [FOLDER]: the card test's speed against f3
# and dd on the same amount of data (MIB MiB, default 1024) in the same
# folder (default build/bench-data). With --fat, all three run on a FAT16
# image of MIB MiB in that folder (32 KiB clusters, 512-entry root), made
# afresh for each of them and mounted through fusefat: a real file system
# with a directory, where the engine's cost per file shows. Runs
# BENCH_ROUNDS rounds (default 3) of all three, prints every round's
# figures, and as its last line the median over the rounds of
#   engine/f3 time X.XX  engine/dd write Y.YY  engine/dd read Z.ZZ
# (the engine's total time over f3write + f3read; the engine's write and
# verify throughput over dd's direct-I/O write and read, from a pattern file
# in memory, in requests of the engine's size).
#
# scripts/bench.sh --cycle: the station's cycle time per reader. GO's
# read/write run (discovery, test sequence, verdict record) on a simulated
# station of four 512 MiB cards at 20 MB/s write and 30 MB/s read, at
# timescale 0, so the station's clock times it and it takes seconds. Prints
# the cycle for the whole-card test and for TestMiB=16 and the station's
# overhead as a share of the cards' own transfer time; exits 3 when a target
# is missed (overhead over 5%, a 16 MiB cycle over a tenth of the whole).
# Needs no folder, disk or tool beyond the build.
#
# scripts/bench.sh --report [FOLDER]: the line report over ten busy stations'
# week (about a million lines, made by scripts/lib/report-folder.py in
# FOLDER, default build/report-data, with a week before the range that the
# report must not open). Times talven-report three times (BENCH_ROUNDS)
# against awk summing one column of the same files, prints its peak memory
# (/usr/bin/time -v) and the record files it opened (strace); exits 3 when a
# target is missed (over 5 s, over 64 MiB, a file outside the range opened).
# scripts/bench.sh --record [FOLDER]: what reading the record folder's
# serials costs a station's start, on synthetic record files in FOLDER
# (default build/bench-data): a first start over a year of one busy EEPROM
# station (365 daily files, a line every 10 s, about 3 million lines), a
# start after a day was added (only what was added is read, from the index),
# and a folder ten stations share (a month each, then a day more each). Each
# figure is printed beside the time wc -l and grep -c take over the same
# files in the same run, and their ratio. Targets: a first start under 30 s,
# a later one under 2 s; exits 3 when one is missed.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" = --report ]; then
  exec scripts/lib/bench-report.sh "${2:-build/report-data}"
fi

if [ "${1:-}" = --record ]; then
  cmake --preset bench >/dev/null
  cmake --build build/bench -j2 --target talven-record-scan >/dev/null
  scan=build/bench/tests/bench/talven-record-scan
  data=$(mkdir -p "${2:-build/bench-data}" && cd "${2:-build/bench-data}" && pwd)/talven-record-$$
  trap 'rm -rf "$data"' EXIT
  # Days of lines for stations: python3 bench-days FOLDER STATIONS FIRST-DAY DAYS
  make_days() {
    python3 - "$@" <<'PY'
import datetime, os, sys
folder, stations, first, days = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
os.makedirs(folder, exist_ok=True)
per_day = 8640  # a line every 10 s
header = "\ufefftime,computer,version,mode,run,chip,drive,product,verdict,result,MiB tested,write MB/s," \
         "read MB/s,seconds,VID,PID,serial,checksum,UTC offset,warning,line,lot\r\n"
for station in range(stations):
    for day in range(first, first + days):
        date = datetime.date(2026, 1, 1) + datetime.timedelta(days=day)
        base = (station * 400 + day) * per_day
        lines = [header]
        for n in range(per_day):
            s = base + n
            lines.append("%s %02d:%02d:%02d,ST%02d,v1.00,Write EEPROM,%d,Chip 5308 Revision:0102 05/17 '23,E:,"
                         "CF Card,Write EEPROM success.,pass,,,,,0x3C71,0x5308,TLV%09d,CE9CB358,UTC+01:00,,"
                         "qvmkrcdtzh-%d,WO-4711\r\n" % (date, n // 360, n // 6 % 60, n % 6 * 10, station, n + 1, s, n + 1))
        with open(os.path.join(folder, "Talven-%s-ST%02d.csv" % (date, station)), "w", newline="") as f:
            f.write("".join(lines))
PY
  }
  seconds() { local start=$EPOCHREALTIME; "$@" >/dev/null; echo "$EPOCHREALTIME - $start" | bc -l; }
  missed=0
  figure() {  # name target-seconds folder index
    local ours wc grep
    ours=$(seconds "$scan" "$3" "$4")
    wc=$(seconds sh -c "cat '$3'/*.csv | wc -l")
    grep=$(seconds sh -c "cat '$3'/*.csv | grep -c TLV")
    printf '%-44s %7.2f s  (target < %s s)  wc -l %6.2f s  grep -c %6.2f s  ours/wc %5.2f  ours/grep %5.2f\n' \
      "$1" "$ours" "$2" "$wc" "$grep" "$(echo "$ours / $wc" | bc -l)" "$(echo "$ours / $grep" | bc -l)"
    (( $(echo "$ours < $2" | bc -l) )) || missed=1
  }
  echo "bench: record files in $data"
  make_days "$data/one" 1 0 365
  echo "bench: one station, a year: $(cat "$data"/one/*.csv | wc -l) lines, $(du -sh "$data/one" | cut -f1)"
  figure "first start, a year of one station" 30 "$data/one" "$data/one.index"
  figure "first start again, nothing added" 2 "$data/one" "$data/one.index"
  make_days "$data/one" 1 365 1
  figure "a start after a day was added" 2 "$data/one" "$data/one.index"
  make_days "$data/ten" 10 0 30
  echo "bench: ten stations, a month each: $(cat "$data"/ten/*.csv | wc -l) lines"
  figure "first start, ten stations' folder" 30 "$data/ten" "$data/ten.index"
  make_days "$data/ten" 10 30 1
  figure "a start after each of ten added a day" 2 "$data/ten" "$data/ten.index"
  exit $((missed * 3))
fi

if [ "${1:-}" = --cycle ]; then
  cmake --preset bench >/dev/null
  cmake --build build/bench -j2 --target talven-cycle >/dev/null
  exec build/bench/tests/bench/talven-cycle
fi

fat=0
if [ "${1:-}" = --fat ]; then
  fat=1
  shift
fi
mib=${1:-1024}
folder=${2:-build/bench-data}
rounds=${BENCH_ROUNDS:-3}
[[ "$mib" =~ ^[1-9][0-9]*$ && "$rounds" =~ ^[1-9][0-9]*$ ]] ||
  { echo "usage: [BENCH_ROUNDS=N] scripts/bench.sh [--fat] [MIB] [FOLDER] | --cycle" >&2; exit 2; }

scripts/setup.sh
cmake --preset bench >/dev/null
cmake --build --preset bench -j2 >/dev/null

mkdir -p "$folder"
work="$(cd "$folder" && pwd)/talven-bench-$$"
card="$work/card"
pattern=/dev/shm/talven-bench-$$.pattern
mkdir "$work"
unmount() { if mountpoint -q "$card"; then fusermount -u "$card" || fusermount -uz "$card"; fi; }
trap 'unmount; rm -rf "$work" "$pattern"' EXIT

# f3 writes whole GiB files: in a folder it gets the amount rounded up to
# whole GiB, and its time is scaled back to MIB. On the FAT image it fills
# the card, as the engine does.
gib=$(((mib + 1023) / 1024))
if [ $fat -eq 1 ]; then need_kib=$(((mib + 64) * 1024)); else need_kib=$(((gib * 1024 + 64) * 1024)); fi
avail_kib=$(df -Pk "$work" | awk 'NR == 2 { print $4 }')
if [ "$avail_kib" -lt "$need_kib" ]; then
  echo "bench: $work has $((avail_kib / 1024)) MiB free, needs $((need_kib / 1024))" >&2
  exit 1
fi
fstype=$(stat -f -c %T "$work")
case "$fstype" in
  tmpfs | ramfs) echo "bench: note: $work is on $fstype, a memory, not a medium" ;;
esac
if [ $fat -eq 1 ]; then
  echo "bench: a $mib MiB FAT16 card through fusefat, image in $work ($fstype), $rounds rounds"
else
  echo "bench: $mib MiB in $work ($fstype), $rounds rounds"
fi

# A fresh FAT16 image mounted on $card: fusefat can damage the root of a
# volume written until it is full (as f3write does), so nobody gets one
# that another has used.
fresh_card() {
  unmount
  rm -f "$work/card.img"
  mkdir -p "$card"
  truncate -s "${mib}M" "$work/card.img"
  mkfs.fat -F 16 -s 64 -a -r 512 -n CARD "$work/card.img" >/dev/null
  fusefat -o rw+ "$work/card.img" "$card" >/dev/null 2>&1
  [ "$(stat -f -c %T "$card")" = fuseblk ] || { echo "bench: fusefat did not mount $work/card.img" >&2; exit 1; }
}
# Where each of the three writes: the folder, or a fresh card.
use_target() {
  if [ $fat -eq 1 ]; then
    fresh_card
    target=$card
  else
    # A folder of its own: the logs beside it take nothing of its capacity.
    target=$work/folder
    mkdir -p "$target"
  fi
}

now() { date +%s.%N; }
calc() { awk "BEGIN { printf \"%.${2:-1}f\", $1 }"; }

# The engine through the real TestDrive on drive E: mapped to the folder as
# a card of MIB MiB, or to the mounted card as a whole.
run_engine() {
  local out
  use_target
  out=$(build/bench/tests/bench/talven-bench "$target" "$([ $fat -eq 1 ] && echo 0 || echo "$mib")")
  echo "$out" | sed 's/^/  /'
  figure() { awk -v key="$1" '$1 == key { print $2 }' <<<"$out"; }
  engine_write=$(figure engine_write_mbs)
  engine_read=$(figure engine_verify_mbs)
  engine_total=$(figure engine_total_s)
  engine_request=$(figure engine_request_bytes)
  engine_mib=$(awk '$1 == "engine:" { print $2 }' <<<"$out")
}

run_f3() {
  local start middle end f3dir
  use_target
  f3dir=$target
  if [ $fat -eq 0 ]; then
    f3dir=$work/f3
    mkdir -p "$f3dir"
  fi
  start=$(now)
  f3write --end-at="$gib" --show-progress=0 "$f3dir" >"$work/f3write.log"
  middle=$(now)
  f3read --show-progress=0 "$f3dir" >"$work/f3read.log"
  end=$(now)
  if ! grep -q "Data LOST: 0.00 Byte" "$work/f3read.log"; then
    cat "$work/f3read.log" >&2
    echo "bench: f3read found lost data" >&2
    exit 1
  fi
  local removed written_mib scale
  # Not in f3's total: f3 leaves its files, the card test deletes its own.
  written_mib=$(stat -c %s "$f3dir"/*.h2w | awk '{ bytes += $1 } END { print int(bytes / 1048576) }')
  removed=$(now)
  rm -f "$f3dir"/*.h2w
  removed=$(calc "$(now) - $removed" 3)
  scale=1
  [ $fat -eq 0 ] && scale=$(calc "$mib / ($gib * 1024)" 6)
  f3_total=$(calc "($end - $start) * $scale" 3)
  echo "  f3: $written_mib MiB, write $(calc "$written_mib * 1048576 / ($middle - $start) / 1e6") MB/s," \
    "read $(calc "$written_mib * 1048576 / ($end - $middle) / 1e6") MB/s, total for $([ $fat -eq 1 ] && echo "the card" || echo "$mib MiB") $f3_total s" \
    "(its files removed afterwards in $removed s)"
}

# Seconds of a dd run, from its summary line.
dd_seconds() { LC_ALL=C dd "$@" 2>&1 | awk '/copied/ { for (i = 1; i <= NF; ++i) if ($i == "s,") print $(i - 1) }'; }

# The device's limit: direct I/O in requests of the engine's size, from a
# file in memory that is not zeros (piped from yes, dd writes at about half
# the speed). On the card, as much as the engine wrote there.
run_dd() {
  local write_s read_s count bytes
  count=$(((engine_mib * 1048576) / engine_request))
  bytes=$((count * engine_request))
  [ "$(stat -c %s "$pattern" 2>/dev/null)" = "$bytes" ] || { yes UUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUUU || true; } |
    head -c "$bytes" >"$pattern"
  use_target
  write_s=$(dd_seconds if="$pattern" of="$target/dd.bin" bs="$engine_request" count="$count" iflag=fullblock \
    oflag=direct conv=fsync)
  read_s=$(dd_seconds if="$target/dd.bin" of=/dev/null bs="$engine_request" iflag=direct)
  rm -f "$target/dd.bin"
  dd_write=$(calc "$bytes / $write_s / 1e6")
  dd_read=$(calc "$bytes / $read_s / 1e6")
  echo "  dd: $((bytes >> 20)) MiB in requests of $((engine_request >> 10)) KiB, write $dd_write MB/s, read $dd_read MB/s"
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

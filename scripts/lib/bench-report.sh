#!/usr/bin/env bash
# scripts/bench.sh --report FOLDER: see scripts/bench.sh.
set -euo pipefail
folder=$1
rounds=${BENCH_ROUNDS:-3}
first=2026-11-30 last=2026-12-06

cmake --preset bench >/dev/null
cmake --build build/bench -j2 --target talven-report >/dev/null
tool=build/bench/tools/report/talven-report

if [ ! -f "$folder/Talven-$last-PC-10.csv" ]; then
  rm -rf "$folder"
  echo "bench: writing ten stations' fortnight to $folder"
  python3 scripts/lib/report-folder.py "$folder" "$last" 10 7 14300 >/dev/null
fi
in_range=("$folder"/Talven-2026-11-30-*.csv "$folder"/Talven-2026-12-0[1-6]-*.csv)
lines=$(cat "${in_range[@]}" | wc -l)
echo "bench: $lines lines in ${#in_range[@]} files in the range $first to $last, $(ls "$folder" | wc -l) files in all"

now() { date +%s.%N; }
calc() { awk "BEGIN { printf \"%.${2:-2}f\", $1 }"; }
page=$(mktemp --suffix=.html)
log=$(mktemp)
trap 'rm -f "$page" "$log"' EXIT

worst=0 peak=0 ratios=()
for round in $(seq "$rounds"); do
  start=$(now)
  /usr/bin/time -v "$tool" "$folder" --from $first --to $last --out "$page" >/dev/null 2>"$log"
  report=$(calc "$(now) - $start" 3)
  rss=$(awk -F: '/Maximum resident set size/ { print int($2 / 1024) }' "$log")
  # The reference: one pass of awk over the same files, summing the write speeds.
  start=$(now)
  awk -F, '$12 ~ /^[0-9.]+$/ { s += $12 } END { print s }' "${in_range[@]}" >/dev/null
  reference=$(calc "$(now) - $start" 3)
  ratios+=("$(calc "$report / $reference")")
  echo "round $round: talven-report $report s, peak $rss MiB; awk over the same lines $reference s; ratio ${ratios[-1]}"
  worst=$(awk -v a="$worst" -v b="$report" 'BEGIN { print (b > a ? b : a) }')
  [ "$rss" -gt "$peak" ] && peak=$rss
done

# Which record files the report opens: only those of the range.
strace -f -e trace=open,openat -o "$log" "$tool" "$folder" --from $first --to $last --out "$page" >/dev/null
opened=$(grep -o 'Talven-[0-9-]*-PC-[0-9]*\.csv' "$log" | sort -u)
outside=$(grep -vE "Talven-(2026-11-30|2026-12-0[1-6])-" <<<"$opened" | grep -c . || true)
echo "record files opened: $(grep -c . <<<"$opened") in the range, $outside outside it"

median=$(printf '%s\n' "${ratios[@]}" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
echo "report worst $worst s (target 5 s), peak $peak MiB (target 64 MiB), report/awk median $median"
if awk -v t="$worst" 'BEGIN { exit !(t > 5) }' || [ "$peak" -gt 64 ] || [ "$outside" -gt 0 ]; then
  echo "bench: a target is missed" >&2
  exit 3
fi

#!/usr/bin/env bash
# A shift on the simulated station, and a check of its record of verdicts:
#
#   scripts/shift.sh [WINDOWS-BUILD-FOLDER]      (default build/win64)
#
# TalvenSim.exe runs under Wine on a headless X server, from a scratch folder
# of its own, through several stations: good cards, a slow slot under
# MinSpeed, a card pulled during its test and then missing, a run stopped with
# GO, the record's file held open by another program during a run, and the
# write-EEPROM job with and without a reader, and four readers from a block of
# three serials, the program started anew for each; a block that goes on
# after the record's highest serial in a new folder and without its state
# file, and two copies in one folder taking serials at once. GO is pressed as the
# operator presses it, many times. After every run the rows the window shows
# are read from its list (talven-shift-probe) and compared with the lines the
# record got for that run: one line per verdict shown, none missing, none
# twice; the shift's counts it shows must be what the record says. While
# the file is held nothing may be written to it, and once it is free every
# verdict of the held run must reach it; the program killed while the file is
# held loses none of them either, and its next start writes them. At the end
# the whole record must read as a spreadsheet reads CSV: a header, then rows
# of 23 fields, each marked simulated; and converted to a spreadsheet and back by gnumeric's
# ssconvert, its version, VID, PID and serial columns must stay as written.
# Last, talven-report over the record must mark the worn card's slot and give
# per station and mode the figures of the counts lines the windows showed last
# (each folder's copy its own; the two side by side, read by
# talven-shift-probe counts, share one folder's counts), both printed.
#
# It prints one line per run, copies the record and the report to build/shift/
# and ends with "shift: N runs, M verdicts shown, M recorded, 0 problems"
# (exit 0) or the problems found (exit 1). It takes about six minutes; the
# test suite does not run it.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
# ssconvert reads the record back as a spreadsheet does; only the shift
# needs it, so the test run's install leaves it out.
scripts/setup.sh gnumeric
build=$(realpath "${1:-build/win64}")
exe=$build/app/TalvenSim.exe
probe=$build/tests/windows/shift/talven-shift-probe.exe
report=$build/tools/report/talven-report.exe
if [ ! -f "$exe" ] || [ ! -f "$probe" ] || [ ! -f "$report" ]; then
  cmake --build --preset windows --target TalvenSim talven-shift-probe talven-report -j2
fi
for tool in Xvfb xdotool import wine python3; do
  command -v "$tool" >/dev/null || { echo "shift: $tool is missing (scripts/setup.sh)" >&2; exit 1; }
done

source scripts/lib/wine.sh
source scripts/lib/talven-window.sh

work=$(mktemp -d)
cp "$exe" "$probe" "$report" "$work/"
talven_wine_prefix "$build/wineprefix"
# Always a server of its own: GO is clicked, and nobody else's window may cover it.
unset DISPLAY
talven_x_server
talven_wine_draws_frames TalvenSim.exe

program=
holder=
twins=()
cleanup() {
  for pid in "${twins[@]}"; do kill "$pid" 2>/dev/null || true; done
  [ -n "$holder" ] && kill "$holder" 2>/dev/null || true
  [ -n "$program" ] && kill "$program" 2>/dev/null || true
  wineserver -k >/dev/null 2>&1 || true
  talven_x_server_stop
  rm -rf "$work"
}
trap cleanup EXIT

problems=0
runs=0
Problem() {
  echo "shift: PROBLEM: $*"
  problems=$((problems + 1))
}

# The checks on the record, in Python: csv module, as a spreadsheet reads it.
check=$work/check.py
cat >"$check" <<'EOF'
import csv, glob, io, os, sys
logs, command = sys.argv[1], sys.argv[2]
# The record's columns; the trainer marks every line simulated in the last.
COLUMNS = 23

def records():
    lines = []
    for path in sorted(glob.glob(os.path.join(logs, "TalvenSim-*.csv"))):
        data = open(path, "rb").read()
        rows = list(csv.reader(io.StringIO(data.decode("utf-8-sig"), newline="")))
        lines += [(path, row) for row in rows[1:]]
    return lines

def shown(rows_file):
    """Verdicts the window shows: (drive, verdict) of every row that has one."""
    rows = [line.rstrip("\r\n").split("\t") for line in open(rows_file, encoding="latin-1")]
    listed = [r for r in rows if r[0] == "row"]
    eeprom = len(listed) >= 11 and listed[0][1] == "Productor"
    verdicts = []
    for index, row in enumerate(r for r in rows if r[0] == "row"):
        name, status = row[1], row[2]
        drive = name[name.find("(") + 1:name.find("(") + 3] if "(" in name else ""
        if eeprom:
            if index >= 11:
                verdicts.append((drive, status or name))
        elif status and not status.startswith("Testting("):
            verdicts.append((drive, status))
        elif name == "No card reader device.":
            verdicts.append(("", name))
    return eeprom, sorted(verdicts)

def counts(eeprom):
    """The shift's counts of one mode as the window should show them, from the
    record: a run with a failed test fails, one whose every verdict passed
    passes, any other judged no reader; a reset line starts anew."""
    mode = "Write EEPROM" if eeprom else "Write/Read Test"
    runs, order = {}, []
    for path, row in records():
        if row[3] != mode:
            continue
        key = (path, row[4])
        if key not in runs:
            order.append(key)
        runs.setdefault(key, []).append(row)
    passed = failed = apart = 0
    for key in order:
        words = [row[9] for row in runs[key]]
        tested = [row for row in runs[key] if row[8] in ("Write EEPROM success.", "Write EEPROM unsuccess.")
                  or (not eeprom and row[8] != "No card reader device.")]
        if "reset" in words:
            passed = failed = apart = 0
        elif any(row[9] == "fail" for row in tested):
            failed += 1
        elif words and all(w == "pass" for w in words) and (eeprom or len(words) == 4):
            passed += 1
        else:
            apart += 1
    tested = passed + failed
    yield_text = "%.1f %%" % (100.0 * passed / tested) if tested else "-"
    return "Tested %d   Passed %d   Failed %d   Yield %s   Not judged %d" % (tested, passed, failed, yield_text, apart)

if command == "count":
    print(len(records()))
elif command == "run":
    rows_file, before = sys.argv[3], int(sys.argv[4])
    new = [row for _, row in records()[before:]]
    eeprom, want = shown(rows_file)
    # The write-EEPROM job's row names the reader, not its drive.
    got = sorted(("" if eeprom else row[6], row[8]) for row in new)
    runs = sorted({row[4] for row in new})
    problems = []
    if got != want:
        problems.append("window shows %s, record got %s" % (want, got))
    if len(runs) > 1:
        problems.append("one run's lines carry run numbers %s" % runs)
    for row in new:
        if len(row) != COLUMNS or row[-1] != "yes":
            problems.append("a line of %d fields, not marked simulated: %s" % (len(row), row))
    shown_counts = [r[1] for r in (line.rstrip("\r\n").split("\t") for line in open(rows_file, encoding="latin-1"))
                    if r[0] == "counts"]
    if shown_counts != [counts(eeprom)]:
        problems.append("the window counts %s, the record %s" % (shown_counts, counts(eeprom)))
    print("%d shown, %d recorded (run %s)" % (len(want), len(new), ",".join(runs)))
    for p in problems:
        print("PROBLEM " + p)
elif command == "whole":
    problems = []
    for path in glob.glob(os.path.join(logs, "TalvenSim-*.csv")):
        data = open(path, "rb").read()
        if not data.startswith(b"\xef\xbb\xbf"):
            problems.append("%s: no byte-order mark" % path)
        if not data.endswith(b"\r\n") or data.count(b"\n") != data.count(b"\r\n"):
            problems.append("%s: a line that does not end in CR LF" % path)
        rows = list(csv.reader(io.StringIO(data.decode("utf-8-sig"), newline="")))
        if rows[0][:2] != ["time", "computer"] or [r for r in rows if r[:2] == ["time", "computer"]] != [rows[0]]:
            problems.append("%s: not one header line at the top" % path)
        problems += ["%s: a line of %d fields" % (path, len(r)) for r in rows if len(r) != COLUMNS]
    for p in problems:
        print("PROBLEM " + p)
elif command == "yield":
    # The report's "All" row of each station and mode against the counts
    # lines the copies of the station showed last, one copy's per mode
    # (arguments "COPY MODE ROWS-FILE"; mode "-": the one its list shows).
    import html, re
    page = open(sys.argv[3], encoding="utf-8").read()
    section = page.split("<h2>Yield per station</h2>", 1)[-1].split("<h2>", 1)[0]
    totals = {}
    for part in section.split("<h3>")[1:]:
        totals[html.unescape(part.split("</h3>", 1)[0])] = [
            [html.unescape(cell) for cell in re.findall(r"<t[hd]>(.*?)</t[hd]>", row)]
            for row in re.findall(r'<tr class="total">(.*?)</tr>', part)]
    last = {}
    for entry in sys.argv[4:]:
        copy, mode, rows_file = entry.split(" ", 2)
        eeprom = shown(rows_file)[0] if mode == "-" else mode == "eeprom"
        for index, line in enumerate(l[len("counts\t"):].rstrip("\r\n") for l in open(rows_file, encoding="latin-1")
                                     if l.startswith("counts\t")):
            last[(copy, index, eeprom)] = line
    for eeprom, name in ((False, "Write/Read Test"), (True, "Write EEPROM")):
        # Copies in one folder count into one state file, and each window
        # shows the folder's counts as of its own last GO: the highest are
        # the folder's.
        folder = {}
        for (copy, _, e), line in sorted(last.items()):
            figures = [int(n) for n in re.findall(r"\d+", re.sub(r"Yield \S+", "", line))]
            if e == eeprom and (copy not in folder or figures > folder[copy][0]):
                folder[copy] = (figures, line)
        lines = [line for _, line in folder.values()]
        # "Counts reset: tested 3, passed 2, failed 1, not judged 0"
        lines += [row[8] for _, row in records() if row[3] == name and row[9] == "reset"]
        total = [0, 0, 0]
        for line in lines:
            f = [int(n) for n in re.findall(r"\d+", re.sub(r"Yield \S+", "", line))]
            total = [total[0] + f[1], total[1] + f[2], total[2] + f[-1]]
        tested = total[0] + total[1]
        shown_text = "Tested %d   Passed %d   Failed %d   Yield %s   Not judged %d" % (
            tested, total[0], total[1], "%.1f %%" % (100.0 * total[0] / tested) if tested else "-", total[2])
        reported = ["%s: Tested %s   Passed %s   Failed %s   Yield %s   Not judged %s" % (r[0], r[2], r[3], r[4], r[6], r[5])
                    for r in totals.get(name, [])]
        print("%s: shown %s (%s); report %s" % (name, shown_text, " + ".join(lines) or "no counts line",
                                               "; ".join(reported) or "no row"))
        if [r.split(": ", 1)[1] for r in reported] != ([shown_text] if lines else []):
            print("PROBLEM %s: the counts lines shown add up to %s, the report says %s" % (
                name, shown_text, "; ".join(reported) or "nothing"))
elif command == "spreadsheet":
    # The record as written against the same file through a spreadsheet and back.
    written, back = [list(csv.reader(open(p, encoding="utf-8-sig", newline=""))) for p in sys.argv[3:5]]
    for line, (a, b) in enumerate(zip(written, back)):
        for column in (2, 14, 15, 16):
            got = b[column] if column < len(b) else None
            if a[column] != got:
                print("PROBLEM line %d: %s %r became %r" % (line + 1, written[0][column], a[column], got))
    if len(written) != len(back):
        print("PROBLEM %d lines became %d" % (len(written), len(back)))
EOF

# One station: its file, its settings, the program started on it.
StartStation() {
  local station=$1 settings=$2
  printf '%s\n' "$station" >"$work/TalvenSim.station"
  set -f  # "[VX5308]" is a line, not a pattern
  printf '%s\r\n' "[Program set]" $settings >"$work/TalvenSim.ini"
  set +f
  (cd "$work" && exec "$TALVEN_WINE" TalvenSim.exe) &
  program=$!
  AwaitSimWindow && return 0
  Problem "the program's window did not appear"
  return 1
}

StopStation() {
  kill "$program" 2>/dev/null || true
  wait "$program" 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  program=
}

Rows() { (cd "$work" && talven_wine talven-shift-probe.exe rows) 2>/dev/null | tr -d '\r'; }
Status() { Rows | sed -n 's/^status\t//p'; }
# Through the loader this machine runs: winepath itself may start the 32-bit one.
WindowsPath() { talven_wine winepath.exe -w "$1" 2>/dev/null | tr -d '\r'; }
Recorded() { python3 "$check" "$work/Logs" count 2>/dev/null || echo 0; }

# GO, the run awaited, and its verdicts held against the record's new lines.
# With "stop", GO is pressed again while the first slot is tested.
Go() {
  local label=$1 how=${2:-} before rows
  before=$(Recorded)
  runs=$((runs + 1))
  PressGo "$window" || { Problem "$label: GO did not show"; return; }
  if [ "$how" = stop ]; then
    sleep 1
    local shown x y
    if shown=$(python3 scripts/lib/window-face.py "$window" resources/pictures/stop-{up,focused}.bmp 2>/dev/null); then
      read -r _ x y <<<"$shown"
      xdotool mousemove --window "$window" $((x + 23)) $((y + 19)) click 1
    else
      Problem "$label: GO showed no stop face to press"
    fi
  fi
  WaitForRunEnd "$window" 120 || Problem "$label: the run did not end"
  sleep 0.5
  rows=$work/rows-$runs.txt
  Rows >"$rows"
  Compare "$label" "$rows" "$before"
}

# The verdicts in rows file $2 against the record's lines after the first $3.
Compare() {
  local result line
  result=$(python3 "$check" "$work/Logs" run "$2" "$3")
  ends+=("main - $2")
  echo "run $runs, $1: ${result%%$'\n'*}"
  while read -r line; do
    if [[ $line == PROBLEM* ]]; then Problem "run $runs, $1: ${line#PROBLEM }"; fi
  done <<<"$result"
  shown_total=$((shown_total + ${result%% *}))
}
shown_total=0
# Every copy's rows after each run, "COPY MODE FILE": the counts lines the
# line report is held against at the end.
ends=()

card_lines='card E: capacity 4MiB cluster 16KiB
card F: capacity 4MiB cluster 16KiB
card G: capacity 4MiB cluster 16KiB
card H: capacity 4MiB cluster 16KiB'
reader_lines='drive C: fixed
drive Z: remote
reader reader1
slot E: reader1 product "CF Card"
slot F: reader1 product "SM Card"
slot G: reader1 product "SD/MMC Card"
slot H: reader1 product "MS/MS Pro Card"'

# Another program holds the record's file $file until Release.
Hold() {
  local windows_file
  windows_file=$(WindowsPath "$file")
  (cd "$work" && exec "$TALVEN_WINE" talven-shift-probe.exe hold "$windows_file") >"$work/hold.out" 2>&1 &
  holder=$!
  for _ in $(seq 100); do grep -q held "$work/hold.out" 2>/dev/null && break; sleep 0.1; done
  grep -q held "$work/hold.out" || Problem "the record's file could not be held"
}
Release() {
  touch "$file.release"
  wait "$holder" 2>/dev/null || true
  holder=
  rm -f "$file.release"
}

# Good cards; the second run while another program holds the record's file;
# a run held again and the program killed before the file is free.
good_station="timescale 1
$reader_lines
$card_lines"
StartStation "$good_station" "WR=0" || exit 1
Go "four good cards"
file=$(ls "$work"/Logs/TalvenSim-*.csv 2>/dev/null | head -n 1)
if [ -z "$file" ]; then
  Problem "no record file in Logs after the first run"
else
  Hold
  bytes=$(sha1sum <"$file")
  before=$(Recorded)
  PressGo "$window" && WaitForRunEnd "$window" 120 || Problem "held: the run did not end"
  runs=$((runs + 1))
  sleep 0.5
  Rows >"$work/rows-held.txt"
  [ "$(sha1sum <"$file")" = "$bytes" ] || Problem "held: the held file was written"
  note=$(sed -n 's/^status\t//p' "$work/rows-held.txt")
  [[ $note == *"Record behind by 4: file open in another program"* ]] || Problem "held: the status line reads '$note'"
  Release
  sleep 7  # the window tries again every 5 s
  Compare "held file, then let go" "$work/rows-held.txt" "$before"
  [[ $(Status) != *"Record behind"* ]] || Problem "held: the note stays after the file was let go"
fi
Go "four good cards again"
if [ -n "$file" ]; then
  Hold
  before=$(Recorded)
  PressGo "$window" && WaitForRunEnd "$window" 120 || Problem "held and killed: the run did not end"
  runs=$((runs + 1))
  sleep 0.5
  Rows >"$work/rows-killed.txt"
  kill "$program" 2>/dev/null || true
  wait "$program" 2>/dev/null || true
  program=
  Release
  StopStation
  StartStation "$good_station" "WR=0" || exit 1
  sleep 1
  Compare "held file, program killed, started again" "$work/rows-killed.txt" "$before"
fi
StopStation

# A slow slot, under MinSpeed=10.
StartStation "timescale 1
$reader_lines
card E: capacity 4MiB cluster 16KiB speed 3 6
card F: capacity 4MiB cluster 16KiB
card G: capacity 4MiB cluster 16KiB
card H: capacity 4MiB cluster 16KiB" "WR=0 MinSpeed=10" || exit 1
Go "slow first slot"
speed=$(grep -P '^row\tCF Card' "$work/rows-$runs.txt" | cut -f4)
python3 -c "import sys; w, r = [float(x) for x in sys.argv[1].split(' / ')]; sys.exit(not (2.5 < w <= 3.05 and 5 < r <= 6.1))" \
  "$speed" 2>/dev/null || Problem "the slow slot shows '$speed', not about 3 / 6 MB/s"
Go "slow first slot again"
StopStation

# A card pulled while it is written, then missing; a run stopped with GO.
StartStation "timescale 0.1
$reader_lines
$card_lines
fault G: pull-at-cluster 100" "WR=0" || exit 1
Go "a card pulled during its test"
Go "a slot without its card"
StopStation
StartStation "timescale 1
$reader_lines
card E: capacity 4MiB cluster 16KiB speed 2 2
card F: capacity 4MiB cluster 16KiB
card G: capacity 4MiB cluster 16KiB
card H: capacity 4MiB cluster 16KiB" "WR=0" || exit 1
Go "stopped with GO" stop
Go "the same station to its end"
StopStation

# Write EEPROM: a reader, with values a spreadsheet would take for numbers; then none.
StartStation "timescale 1
$reader_lines
$card_lines" "WR=1 [VX5308] SN=000123 PID=0781" || exit 1
Go "write EEPROM"
Go "write EEPROM again"
StopStation
StartStation "timescale 1
drive C: fixed
drive E: removable" "WR=1" || exit 1
Go "write EEPROM without a reader"
StopStation
StartStation "timescale 1
drive C: fixed
drive E: removable" "WR=0" || exit 1
Go "write/read test without a reader"
StopStation

# A block of three serials over four readers, the program started anew for
# each: three get TLV00000998 to TLV00001000, the fourth GO writes nothing.
serials=()
for reader in 1 2 3 4; do
  StartStation "timescale 1
${reader_lines/reader reader1/reader reader1 eeprom reader$reader.eeprom}" \
    "WR=1 [VX5308] SNFirst=TLV00000998 SNLast=TLV00001000" || exit 1
  Go "write EEPROM from a serial block, reader $reader"
  serials+=("$(python3 -c 'import sys, os
p = sys.argv[1]
print(bytes(open(p, "rb").read()[58:90:2]).decode("latin-1").rstrip() if os.path.exists(p) else "none")' \
    "$work/reader$reader.eeprom")")
  StopStation
done
[ "${serials[*]}" = "TLV00000998 TLV00000999 TLV00001000 none" ] || Problem "the readers hold the serials ${serials[*]}"
grep -q "serial numbers used up: TLV00001000 was the last" "$work/rows-$runs.txt" ||
  Problem "the fourth GO does not say the serials are used up"
recorded_serials=$(python3 -c 'import csv, glob, io, sys
rows = [r for p in sorted(glob.glob(sys.argv[1] + "/TalvenSim-*.csv"))
        for r in csv.reader(io.StringIO(open(p, "rb").read().decode("utf-8-sig"), newline=""))]
print(" ".join(r[16] for r in rows if r[16].startswith("TLV")))' "$work/Logs")
[ "$recorded_serials" = "TLV00000998 TLV00000999 TLV00001000" ] || Problem "the record holds the serials $recorded_serials"
echo "serial block: readers ${serials[*]}; record $recorded_serials"

# A block over a new folder: three GOs, then the program and its settings
# copied into a folder of their own with the same RecordFolder; then that
# copy's state file deleted. Each time the next GO goes on after the record's
# highest serial and says why.
block_settings="WR=1 RecordFolder=$(WindowsPath "$work/Logs") [VX5308] SNFirst=TLV00000100 SNLast=TLV00000199"
block_station="timescale 1
${reader_lines/reader reader1/reader reader1 eeprom block.eeprom}"
LastSerial() {
  python3 -c 'import csv, glob, io, sys
rows = [r for p in sorted(glob.glob(sys.argv[1] + "/TalvenSim-*.csv"))
        for r in csv.reader(io.StringIO(open(p, "rb").read().decode("utf-8-sig"), newline=""))]
rows = [r for r in rows if len(r) > 16 and r[16].startswith("TLV")]
print(rows[-1][16] + "\t" + rows[-1][19] if rows else "none")' "$work/Logs"
}
StartStation "$block_station" "$block_settings" || exit 1
for n in 1 2 3; do Go "a block of 100, GO $n"; done
StopStation
moved=$work/moved
mkdir -p "$moved"
cp "$work/TalvenSim.exe" "$work/TalvenSim.ini" "$work/TalvenSim.station" "$moved/"
for step in "copied into a new folder" "its state file deleted"; do
  [ "$step" = "its state file deleted" ] && rm -f "$moved/TalvenSim.state"
  (cd "$moved" && exec "$TALVEN_WINE" TalvenSim.exe) &
  program=$!
  AwaitSimWindow || true
  want=$([ "$step" = "copied into a new folder" ] && echo TLV00000103 || echo TLV00000104)
  after=$([ "$step" = "copied into a new folder" ] && echo TLV00000102 || echo TLV00000103)
  runs=$((runs + 1))
  PressGo "$window" && WaitForRunEnd "$window" 60 || Problem "$step: the run did not end"
  sleep 0.5
  Rows >"$work/rows-$runs.txt"
  ends+=("moved-$runs - $work/rows-$runs.txt")
  status=$(sed -n 's/^status\t//p' "$work/rows-$runs.txt")
  IFS=$'\t' read -r got warning < <(LastSerial)
  echo "block, $step: the GO wrote $got; status line: $status"
  [ "$got" = "$want" ] || Problem "$step: the GO wrote $got, not $want"
  [[ $status == *"state file missing: going on after $after, the highest in the record"* &&
     $warning == *"going on after $after"* ]] || Problem "$step: the status line says '$status', the record '$warning'"
  shown_total=$((shown_total + 1))
  StopStation
done

# Two copies side by side in one folder, GO pressed in both at once, ten
# times each: twenty readers, twenty serials.
twin=$work/twin
mkdir -p "$twin"
cp "$work/TalvenSim.exe" "$work/TalvenSim.ini" "$twin/"
printf '%s\n' "${block_station/block.eeprom/twin1.eeprom}" >"$twin/TalvenSim.station"
for copy in 1 2; do
  # Both read one settings file and hold one state file.
  (cd "$twin" && exec "$TALVEN_WINE" TalvenSim.exe) &
  twins+=($!)
  for _ in $(seq 150); do
    mapfile -t found < <(xdotool search --onlyvisible --name "^$talven_sim_title\$" 2>/dev/null || true)
    [ "${#found[@]}" -ge $copy ] && break
    sleep 0.2
  done
done
windows=("${found[@]}")
[ "${#windows[@]}" = 2 ] || Problem "two copies: ${#windows[@]} windows"
xdotool windowmove "${windows[0]}" 0 0 windowmove "${windows[1]}" 640 0 2>/dev/null || true
sleep 1
for n in $(seq 10); do
  PressGo "${windows[0]}" || Problem "two copies: GO $n of the first did not show"
  PressGo "${windows[1]}" || Problem "two copies: GO $n of the second did not show"
  WaitForRunEnd "${windows[0]}" 60 || Problem "two copies: run $n of the first did not end"
  WaitForRunEnd "${windows[1]}" 60 || Problem "two copies: run $n of the second did not end"
  runs=$((runs + 2))
done
sleep 7  # a line one copy found the file held for goes out at the 5 s retry
(cd "$work" && talven_wine talven-shift-probe.exe counts) 2>/dev/null | tr -d '\r' >"$work/counts-twins.txt"
ends+=("twins eeprom $work/counts-twins.txt")
for pid in "${twins[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
wineserver -w 2>/dev/null || true
twenty=$(python3 -c 'import csv, glob, io, sys
rows = [r for p in sorted(glob.glob(sys.argv[1] + "/TalvenSim-*.csv"))
        for r in csv.reader(io.StringIO(open(p, "rb").read().decode("utf-8-sig"), newline=""))]
serials = [r[16] for r in rows if len(r) > 16 and r[16].startswith("TLV")]
serials = [s for s in serials if "TLV00000104" < s <= "TLV00000199"]
print(len(serials), len(set(serials)), min(serials, default="-"), max(serials, default="-"))' "$work/Logs")
read -r count distinct low high <<<"$twenty"
echo "two copies side by side: $count serials written, $distinct different, $low to $high"
[ "$count" = 20 ] && [ "$distinct" = 20 ] || Problem "two copies: $count serials written, $distinct different"
shown_total=$((shown_total + count))

# A worn test card in F (docs/stations/worn-card.station): the first reader
# passes, every later one fails in F; from the third in a row the line over
# the counts names F and so does the warning column of the next GO's lines.
# The window is saved to build/shift/worn-card.png, and the line report over
# the record marks slot F.
StartStation "$(cat docs/stations/worn-card.station)" "WR=0" || exit 1
for reader in 1 2 3 4 5 6; do
  Go "worn card in F, reader $reader"
  suspect=$(sed -n 's/^suspect\t//p' "$work/rows-$runs.txt")
  want=
  ((reader >= 4)) && want="Slot F failed $((reader - 1)) readers in a row: check the test card in slot F"
  [ "$suspect" = "$want" ] || Problem "worn card, reader $reader: the line over the counts reads '$suspect'"
done
mkdir -p "$root/build/shift"
import -window "$window" "$root/build/shift/worn-card.png" 2>/dev/null || Problem "worn card: no screenshot"
StopStation
warned=$(python3 -c 'import csv, glob, io, sys
rows = [r for p in sorted(glob.glob(sys.argv[1] + "/Talven*.csv"))
        for r in csv.reader(io.StringIO(open(p, "rb").read().decode("utf-8-sig"), newline=""))]
print(sum("Slot F failed 4 readers in a row" in r[19] for r in rows if len(r) > 19))' "$work/Logs")
[ "$warned" = 2 ] || Problem "worn card: $warned lines warn of F after its fourth failure, not the 2 of the next GO"
echo "worn card: slot F named after 3 readers in a row"

while read -r line; do
  [[ $line == PROBLEM* ]] && Problem "${line#PROBLEM }"
done < <(python3 "$check" "$work/Logs" whole)
recorded=$(Recorded)
[ "$recorded" = "$shown_total" ] || Problem "$shown_total verdicts shown, $recorded lines in the record"
if command -v ssconvert >/dev/null; then
  for csv_file in "$work"/Logs/TalvenSim-*.csv; do
    ssconvert -I Gnumeric_stf:stf_csvtab "$csv_file" "$work/sheet.gnumeric" >/dev/null 2>&1 &&
      ssconvert "$work/sheet.gnumeric" "$work/back.csv" >/dev/null 2>&1 ||
      { Problem "ssconvert could not convert $csv_file"; continue; }
    while read -r line; do
      [[ $line == PROBLEM* ]] && Problem "spreadsheet: ${line#PROBLEM }"
    done < <(python3 "$check" "$work/Logs" spreadsheet "$csv_file" "$work/back.csv")
  done
else
  Problem "ssconvert is missing (scripts/setup.sh gnumeric): the spreadsheet check did not run"
fi

# The line report over the shift's record, the trainer's lines taken as the
# trainer wrote them: slot F marked, and each mode's yield table what the
# counts lines the station's copies showed last add up to, with what a reset
# took from them. Every copy ran on this computer: one station in the report.
simulated=
ls "$work"/Logs/TalvenSim-*.csv >/dev/null 2>&1 && simulated=--simulated
(cd "$work" && talven_wine talven-report.exe Logs --out line-report.html $simulated) >/dev/null 2>&1 ||
  Problem "talven-report over the shift's record failed"
grep -q "slot F: .*check the test card in slot F" "$work/line-report.html" 2>/dev/null ||
  Problem "the line report does not mark slot F"
while read -r line; do
  if [[ $line == PROBLEM* ]]; then Problem "line report: ${line#PROBLEM }"; else echo "line report, $line"; fi
done < <(python3 "$check" "$work/Logs" yield "$work/line-report.html" "${ends[@]}")
mkdir -p "$root/build/shift"
cp "$work/line-report.html" "$root/build/shift/" 2>/dev/null || true
cp "$work"/Logs/*.csv "$root/build/shift/" 2>/dev/null && echo "The record: build/shift/$(cd "$work/Logs" && ls)"
echo "shift: $runs runs, $shown_total verdicts shown, $recorded recorded, $problems problems"
[ "$problems" = 0 ]

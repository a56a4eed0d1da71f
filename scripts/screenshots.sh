#!/usr/bin/env bash
# Saves pictures of the station program's windows into docs/:
#   main-test-mode.png    the main window in the read/write test mode, after a
#                         whole run of GO on the training station good.station
#   main-test-running.png the same during a run: the second card being tested
#   main-test-slow.png    a run that faults.station's slow second slot ends:
#                         "Speed too low!" under MinSpeed=10
#   main-eeprom-mode.png  the main window in the EEPROM mode (settings listing,
#                         the serial the next GO writes from a block)
#   setup-dialog.png      Help > Setting...
#   about-box.png         Help > About Talven
#   line-report.png       the top of talven-report's page over nine stations'
#                         week (scripts/lib/report-folder.py), as headless
#                         Chromium shows it (installed here when missing)
#
#   scripts/screenshots.sh [WINDOWS-BUILD-FOLDER]   (default build/win64)
#   scripts/screenshots.sh --report                 the line report's picture only
#
# TalvenSim.exe runs under Wine on a headless X server of its own, from a
# scratch folder with a settings file written for each picture, so nothing in
# the build folder changes but the Wine prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

# The line report's page from the host build's talven-report, taken by
# headless Chromium with nothing fetched: no network, no sync, no updates, a
# profile of its own.
ReportPicture() {
  local scratch
  command -v chromium >/dev/null || { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq chromium; }
  cmake --build build/host --target talven-report >/dev/null
  scratch=$(mktemp -d)
  python3 scripts/lib/report-folder.py "$scratch/records" 2026-12-06 9 7 500 >/dev/null
  (cd "$scratch" && "$root/build/host/tools/report/talven-report" records --to 2026-12-06 --out report.html >/dev/null)
  chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking \
    --disable-component-update --disable-sync --user-data-dir="$scratch/profile" \
    --screenshot="$root/docs/line-report.png" --window-size=1150,1000 "file://$scratch/report.html" >/dev/null 2>&1
  rm -rf "$scratch"
  echo "screenshots: docs/line-report.png (1150x1000)"
}
if [ "${1:-}" = --report ]; then
  ReportPicture
  exit 0
fi

build=$(realpath "${1:-build/win64}")
exe=$build/app/TalvenSim.exe
if [ ! -f "$exe" ]; then
  echo "screenshots: $exe not found; build the TalvenSim target first" >&2
  exit 1
fi
for tool in Xvfb xdotool xwininfo import wine python3; do
  command -v "$tool" >/dev/null || { echo "screenshots: $tool is missing (scripts/setup.sh)" >&2; exit 1; }
done

work=$(mktemp -d)
cp "$exe" "$work/TalvenSim.exe"
mkdir -p docs

source scripts/lib/wine.sh
talven_wine_prefix "$build/wineprefix"
# A headless X server of our own, even where there is a display: nothing on
# it but the program's windows.
unset DISPLAY
talven_x_server 1024x768x24

program_pid=
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  talven_x_server_stop
  rm -rf "$work"
}
trap cleanup EXIT

talven_wine_draws_frames TalvenSim.exe

# Settings for the two modes: the defaults, with MS Pro and MMC at Low.
WriteSettings() {
  cat >"$work/TalvenSim.ini" <<EOF
[Program set]
WR=$1
FS=0
[VX5308]
VID=3C71
PID=5308
Manufacture=KVe
Productor=USBCard Reader
SN=123456789abcdef
SCSI_VER=KVe
CFSpeed=0
SMSpeed=0
SDSpeed=0
MSProSpeed=2
MSSpeed=0
MMCSpeed=1
Power Consumption=250
EOF
  # The write-EEPROM picture hands out serials from a block.
  [ "$1" = 0 ] || printf 'SNFirst=TLV00000100\nSNLast=TLV00000999\n' >>"$work/TalvenSim.ini"
}

# The station's state: a shift under way, so that the counts above the
# buttons show what they are for, and 24 serials of the block handed out.
SeedState() {
  printf 'handed=TLV00000100\tTLV00000123\r\nblock=TLV00000100\tTLV00000999\r\ntest=%s\r\neeprom=23 1 0\r\nend\r\n' \
    "$1" >"$work/TalvenSim.state"
}

# The id of the program's visible top-level window named $1 ("" for the
# caption-less about box: the visible program window that is not the main one).
FindWindow() {
  local name=$1 main=${2:-} w
  for _ in $(seq 100); do
    for w in $(xdotool search --onlyvisible --class 'TalvenSim.exe' 2>/dev/null); do
      if [ -n "$name" ]; then
        [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$name" ] && { echo "$w"; return 0; }
      elif [ "$w" != "$main" ]; then
        # Tooltips are program windows too; the about box is far larger.
        local width
        width=$(xwininfo -id "$w" | awk '/Width:/ {print $2}')
        [ "${width:-0}" -gt 200 ] && { echo "$w"; return 0; }
      fi
    done
    sleep 0.2
  done
  echo "screenshots: window '${name:-about box}' did not appear" >&2
  return 1
}

# Saves window $1 as picture file $2, cut out of the screen by its geometry;
# prints its size.
CaptureFile() {
  local w=$1 out=$2 x y width height
  eval "$(xwininfo -id "$w" | awk '
    /Absolute upper-left X:/ {print "x=" $4}
    /Absolute upper-left Y:/ {print "y=" $4}
    /Width:/ {print "width=" $2}
    /Height:/ {print "height=" $2}')"
  import -window root -crop "${width}x${height}+${x}+${y}" +repage "$out"
  echo "${width}x${height}"
}

# Saves window $1 as docs/$2.
Capture() {
  local size
  size=$(CaptureFile "$1" "$root/docs/$2")
  echo "screenshots: docs/$2 ($size)"
}

Start() {
  (cd "$work" && exec "$TALVEN_WINE" TalvenSim.exe >/dev/null 2>&1) &
  program_pid=$!
  main=$(FindWindow "$talven_sim_title") || exit 1
  # Give it the keyboard (there is no window manager to do so), so the keys
  # reach it. Not by a click on the caption: Wine takes that for a move.
  sleep 1
  timeout 5 xdotool windowfocus --sync "$main" 2>/dev/null || true
  sleep 1
}

Stop() {
  kill "$program_pid" 2>/dev/null || true
  wait "$program_pid" 2>/dev/null || true
  program_pid=
  sleep 1
}

# Opens a menu item: Alt+H opens the Help menu with its first item, "Setting...",
# highlighted; $1 is the key that picks the item.
Menu() {
  xdotool key --clearmodifiers alt+h
  sleep 0.5
  xdotool key "$1"
  sleep 1.5
}

source scripts/lib/talven-window.sh

# A training station of docs/stations/, as the guide tells a trainee to use it.
UseStation() {
  cp "$root/docs/stations/$1" "$work/TalvenSim.station"
}

# A station of four card slots; $1 to $4 are the options of each slot's card
# (F's capacity and cluster among them), such as its speed WRITE READ in MB/s.
WriteStation() {
  cat >"$work/TalvenSim.station" <<EOF
timescale 1
drive C: fixed
drive Z: remote
reader reader1
slot E: reader1 product "CF Card"
slot F: reader1 product "SM Card"
slot G: reader1 product "SD/MMC Card"
slot H: reader1 product "MS/MS Pro Card"
card E: capacity 4MiB cluster 16KiB $1
card F: $2
card G: capacity 4MiB cluster 16KiB $3
card H: capacity 4MiB cluster 16KiB $4
EOF
}

# GO, and a picture named $1 once the run has ended.
RunAndCapture() {
  Start
  PressGo "$main" || { echo "screenshots: GO did not appear" >&2; exit 1; }
  WaitForRunEnd "$main" 120 || { echo "screenshots: the run did not end" >&2; exit 1; }
  [ "$talven_stop_seen" = 1 ] || { echo "screenshots: the run was not seen" >&2; exit 1; }
  Capture "$main" "$1"
  Stop
}

# Main window, read/write test mode, after a whole run on the good training
# station; then the run that the faults station's slow second slot ends under
# a lowest speed of 10 MB/s, as its comments and the guide say.
WriteSettings 0
UseStation good.station
SeedState "10 1 2"
RunAndCapture main-test-mode.png
sed -i 's/^FS=0$/&\nMinSpeed=10/' "$work/TalvenSim.ini"
UseStation faults.station
SeedState "11 0 2"
RunAndCapture main-test-slow.png
WriteSettings 0
SeedState "10 1 2"

# The same during a run. The second slot holds a card large enough for its
# test to last a while (simulated cards are held in memory: 1 GiB here), so
# the picture shows the first card passed and the second one in progress: it
# is taken half a second after the stop face appeared, and kept only if it
# still shows that face.
WriteStation "speed 20.2 31.0" "capacity 1GiB cluster 32KiB" "" ""
Start
PressGo "$main" || { echo "screenshots: GO did not appear" >&2; exit 1; }
for _ in $(seq 100); do [ "$(GoFace "$main")" = stop ] && break; sleep 0.05; done
sleep 0.5
CaptureFile "$main" "$work/running.png" >/dev/null
[ "$(GoFace "$work/running.png")" = stop ] || { echo "screenshots: the run ended before its picture" >&2; exit 1; }
cp "$work/running.png" "$root/docs/main-test-running.png"
echo "screenshots: docs/main-test-running.png"
WaitForRunEnd "$main" 120 || true
Stop
rm -f "$work/TalvenSim.station"

# Main window, EEPROM mode: the settings listing.
WriteSettings 1
Start
Capture "$main" main-eeprom-mode.png

# The setup dialog over it.
Menu Return
setup=$(FindWindow 'Setup Dialog')
Capture "$setup" setup-dialog.png
Stop

# The about box.
WriteSettings 0
Start
Menu a
about=$(FindWindow '' "$main")
Capture "$about" about-box.png
Stop

ReportPicture

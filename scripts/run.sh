#!/usr/bin/env bash
# Starts the station program on the simulated station (TalvenSim.exe under
# Wine). With a display the window opens there and the script returns when it
# is closed; without one a headless X server is started, the program runs for
# TALVEN_RUN_SECONDS (default 8), a screenshot is saved to build/talven-sim.png
# and the program is closed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

exe=build/win64/app/TalvenSim.exe
if [ ! -x "$exe" ]; then
  scripts/setup.sh
  cmake --preset windows >/dev/null
  cmake --build --preset windows --target TalvenSim -j "$(nproc)"
fi

export WINEPREFIX="$root/build/win64/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$WINEPREFIX/system.reg" ] || { mkdir -p "$WINEPREFIX"; wineboot --init >/dev/null 2>&1; wineserver -w; }

headless=0
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then headless=1; fi
if [ $headless -eq 0 ]; then
  exec wine "$exe"
fi

source scripts/xvfb.sh
# A headless server has no window manager: let Wine draw the frame itself.
wine reg add 'HKCU\Software\Wine\AppDefaults\TalvenSim.exe\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
wine "$exe" &
pid=$!
sleep "${TALVEN_RUN_SECONDS:-8}"
window=$(xdotool search --onlyvisible --name '^VX5308$' 2>/dev/null | head -n 1 || true)
if [ -n "$window" ]; then
  import -window "$window" build/talven-sim.png 2>/dev/null
else
  import -window root build/talven-sim.png 2>/dev/null
fi && echo "Screenshot: build/talven-sim.png"
kill "$pid" 2>/dev/null || true
wineserver -k >/dev/null 2>&1 || true
kill "$TALVEN_XVFB_PID" 2>/dev/null || true

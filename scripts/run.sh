#!/usr/bin/env bash
# Starts the station program on the simulated station (TalvenSim.exe under
# Wine). With a display the window opens there, the operator presses GO, and
# the script returns when the window is closed. Without one a headless X
# server is started, GO is pressed (clicked, as the operator would), the run
# is awaited (at most TALVEN_RUN_SECONDS, default 120), the window with its
# results is saved to build/talven-sim.png and the program is closed.
# TALVEN_STATION names a station file (docs/station-format.md).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/wine.sh
source scripts/lib/talven-window.sh

exe=build/win64/app/TalvenSim.exe
if [ ! -x "$exe" ]; then
  scripts/setup.sh
  cmake --preset windows >/dev/null
  cmake --build --preset windows --target TalvenSim -j "$(nproc)"
fi

talven_wine_prefix "$PWD/build/win64/wineprefix"
talven_x_server
[ -n "${TALVEN_XVFB_PID:-}" ] || exec "$TALVEN_WINE" "$exe"

talven_wine_draws_frames TalvenSim.exe
talven_wine "$exe" &
pid=$!
status=0
if ! AwaitSimWindow; then
  echo "run.sh: the program's window did not appear" >&2
  status=1
elif ! PressGo "$window"; then
  echo "run.sh: GO did not appear in the window" >&2
  status=1
elif ! WaitForRunEnd "$window" "${TALVEN_RUN_SECONDS:-120}"; then
  echo "run.sh: the run did not end within ${TALVEN_RUN_SECONDS:-120} s; saving the window as it is" >&2
  status=1
elif [ "$talven_stop_seen" = 0 ]; then
  echo "run.sh: no read/write test was seen running (EEPROM mode in the settings, or too quick to catch)"
fi
if [ -n "$window" ]; then
  import -window "$window" build/talven-sim.png 2>/dev/null
else
  import -window root build/talven-sim.png 2>/dev/null
fi && echo "Screenshot: build/talven-sim.png"
kill "$pid" 2>/dev/null || true
wineserver -k >/dev/null 2>&1 || true
talven_x_server_stop
exit $status

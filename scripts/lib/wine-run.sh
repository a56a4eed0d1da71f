#!/usr/bin/env bash
# Runs a Windows executable under Wine with a prefix of the build's own, of
# ARCH win64 or win32 (the i686 build's); the Windows builds run their tests
# through it (CMAKE_CROSSCOMPILING_EMULATOR):
#   wine-run.sh PREFIX ARCH PROGRAM.exe [ARGS...]
# Without an X server a headless one is started for the one command.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine.sh"
talven_wine_prefix "$1" "$2"
shift 2
talven_x_server
[ -n "${TALVEN_XVFB_PID:-}" ] || exec "$TALVEN_WINE" "$@"
status=0
talven_wine "$@" || status=$?
# The prefix's server must not outlive the display its programs drew on.
wineserver -w
talven_x_server_stop
exit $status

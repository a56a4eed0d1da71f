#!/usr/bin/env bash
# Runs a Windows executable under Wine with a prefix of the build's own:
#   wine-run.sh PREFIX PROGRAM.exe [ARGS...]
# The prefix is made on first use; without a display a headless X server is
# started for the one command.
set -euo pipefail
prefix=$1
shift
export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64
# No Mono or Gecko installer prompts in a headless prefix.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$prefix"
  (
    flock 9
    [ -f "$prefix/system.reg" ] || { wineboot --init >/dev/null 2>&1; wineserver -w; }
  ) 9>"$prefix.lock"
fi
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" wine "$@"
fi
exec wine "$@"

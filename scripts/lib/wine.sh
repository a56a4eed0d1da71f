# Sourced by every script that runs a Windows program, and by wine-run.sh, the
# Windows build's test runner: Wine with a prefix of the build's own, and an
# X server for its windows.
#
#   talven_wine_prefix PREFIX [ARCH]
#                                  Wine runs in PREFIX (ARCH win64, the
#                                  default, or win32; quiet, no Mono or Gecko
#                                  prompts); the prefix is made on first use,
#                                  under a lock, so that tests started side by
#                                  side make it once, and made anew when it
#                                  cannot serve (see talven_wine_prefix_usable).
#   talven_x_server [SCREEN]       makes sure DISPLAY names a running X server;
#                                  without one starts a headless Xvfb (screen
#                                  SCREEN, default 1280x1024x24) on a free
#                                  display and sets TALVEN_XVFB_PID.
#   talven_x_server_stop           stops the Xvfb that talven_x_server started.
#   talven_wine_draws_frames EXE   Wine draws the frames and captions of EXE's
#                                  windows itself: a headless server has no
#                                  window manager to do it.
#
# By hand, for the Windows tests:
#   source scripts/lib/wine.sh && talven_x_server && ctest --preset windows; talven_x_server_stop

talven_wine_prefix() {
  export WINEPREFIX=$1
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEARCH=${2:-win64}
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
  talven_wine_prefix_usable && return 0
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    if ! talven_wine_prefix_usable; then
      if [ -f "$WINEPREFIX/system.reg" ]; then
        echo "talven_wine_prefix: making $WINEPREFIX anew ($WINEARCH, with Wine's 32-bit side)" >&2
        wineserver -k 2>/dev/null || true
        rm -rf "$WINEPREFIX"
        mkdir -p "$WINEPREFIX"
      fi
      wineboot --init >/dev/null 2>&1
      wineserver -w
    fi
  ) 9>"$WINEPREFIX.lock"
}

# A prefix serves when it was made for WINEARCH and, being 64-bit, has its
# 32-bit side wherever Debian's wine32 is installed: Debian's wine then starts
# the 32-bit loader first, and in a prefix made before wine32 came every
# program, 64-bit ones too, fails with "could not load kernel32.dll".
talven_wine_prefix_usable() {
  [ -f "$WINEPREFIX/system.reg" ] && grep -qx "#arch=$WINEARCH" "$WINEPREFIX/system.reg" || return 1
  [ "$WINEARCH" = win32 ] || [ ! -x /usr/lib/wine/wine ] ||
    [ -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]
}

talven_x_server() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local screen=${1:-1280x1024x24} number_file display=
  number_file=$(mktemp)
  # Xvfb takes a free display itself and writes its number once it accepts
  # connections: no race with other servers started at the same time.
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  TALVEN_XVFB_PID=$!
  for _ in $(seq 100); do
    display=$(head -n 1 "$number_file")
    [ -n "$display" ] && break
    kill -0 "$TALVEN_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$number_file"
  if [ -z "$display" ]; then
    echo "talven_x_server: Xvfb did not start" >&2
    talven_x_server_stop
    return 1
  fi
  export DISPLAY=":$display"
}

talven_x_server_stop() {
  [ -n "${TALVEN_XVFB_PID:-}" ] || return 0
  kill "$TALVEN_XVFB_PID" 2>/dev/null || true
  wait "$TALVEN_XVFB_PID" 2>/dev/null || true
  unset TALVEN_XVFB_PID
}

talven_wine_draws_frames() {
  wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$1\\X11 Driver" /v Decorated /d N /f >/dev/null 2>&1
}

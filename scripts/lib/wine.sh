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
#   talven_runs_32bit             whether this machine runs 32-bit x86
#                                  programs, asked once (see below).
#   talven_wine PROGRAM [ARGS...]  starts a Windows program with the loader
#                                  this machine can run; every script starts
#                                  Wine through it (or execs "$TALVEN_WINE",
#                                  which talven_wine_prefix sets).
#   talven_wine_keep_warm PREFIX [ARCH]
#                                  keeps PREFIX's wineserver and Wine's own
#                                  services running until `wineserver -k`.
#
# By hand, for the Windows tests:
#   source scripts/lib/wine.sh && talven_x_server && ctest --preset windows; talven_x_server_stop

talven_wine_prefix() {
  export WINEPREFIX=$1
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEARCH=${2:-win64}
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
  talven_wine_loader
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
      talven_wine wineboot.exe --init >/dev/null 2>&1
      wineserver -w
    fi
  ) 9>"$WINEPREFIX.lock"
}

# A prefix serves when it was made for WINEARCH and, being 64-bit, has its
# 32-bit side wherever Debian's wine32 is installed and can run: Debian's wine
# then starts the 32-bit loader first, and in a prefix made before wine32 came
# every program, 64-bit ones too, fails with "could not load kernel32.dll".
talven_wine_prefix_usable() {
  [ -f "$WINEPREFIX/system.reg" ] && grep -qx "#arch=$WINEARCH" "$WINEPREFIX/system.reg" || return 1
  [ "$WINEARCH" = win32 ] || [ ! -x /usr/lib/wine/wine ] || ! talven_runs_32bit ||
    [ -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]
}

# The answer comes from the machine itself: a 32-bit x86 program of a few
# bytes (exit(0) through int 0x80) either runs or the kernel says "Exec
# format error" (a kernel built without 32-bit support, or booted with
# ia32_emulation=0). The architecture's name or the kernel's version cannot
# tell. TALVEN_RUN_32BIT=0 takes the answer "no" on any machine, to try that
# path. The answer is kept in TALVEN_RUNS_32BIT for the scripts started later.
talven_runs_32bit() {
  if [ -z "${TALVEN_RUNS_32BIT:-}" ]; then
    if [ "${TALVEN_RUN_32BIT:-1}" = 0 ]; then
      TALVEN_RUNS_32BIT=0
    else
      local probe
      probe=$(mktemp "${TMPDIR:-/tmp}/talven-elf32.XXXXXX")
      printf '%b' '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' \
        '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' \
        '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' \
        '\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08' \
        '\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00' \
        '\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
      chmod +x "$probe"
      if "$probe" 2>/dev/null; then TALVEN_RUNS_32BIT=1; else TALVEN_RUNS_32BIT=0; fi
      rm -f "$probe"
    fi
    export TALVEN_RUNS_32BIT
  fi
  [ "$TALVEN_RUNS_32BIT" = 1 ]
}

# The line every script prints where the i686 build's Windows programs cannot run.
talven_no_32bit_text="this machine runs no 32-bit program (Exec format error): the i686 build's Windows tests were not run"

# Debian's wine wrapper starts the 32-bit loader whenever wine32 is installed,
# also for 64-bit programs; where 32-bit programs cannot run, the 64-bit
# loader is started directly, and named in WINELOADER for the processes it
# starts in turn. TALVEN_WINE names the loader chosen, for `exec`.
talven_wine_loader() {
  [ -z "${TALVEN_WINE:-}" ] || return 0
  if ! talven_runs_32bit && [ -x /usr/lib/wine/wine64 ]; then
    export TALVEN_WINE=/usr/lib/wine/wine64 WINELOADER=/usr/lib/wine/wine64
  else
    export TALVEN_WINE=wine
  fi
}

talven_wine() {
  talven_wine_loader
  "$TALVEN_WINE" "$@"
}

# A program started in a cold prefix takes about 3 s: Wine first starts its
# services, which then linger a few seconds holding the program's stdout and
# stderr, so whoever reads those to their end (ctest, a check capturing a
# tool's output) waits for them too. Started once here, with no output of
# anybody's, the services stay, and each program starts in about 0.1 s.
talven_wine_keep_warm() {
  talven_wine_prefix "$@"
  wineserver -p </dev/null >/dev/null 2>&1 || true
  talven_wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
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
  talven_wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$1\\X11 Driver" /v Decorated /d N /f >/dev/null 2>&1
}

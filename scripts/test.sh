#!/usr/bin/env bash
# Installs what is missing, builds every build (host, host under the
# sanitizers, Windows x86_64, Windows i686) and runs every test: host tests
# natively, once plain and once under AddressSanitizer and
# UndefinedBehaviorSanitizer, Windows tests of both Windows builds under Wine
# (the i686 build's under Wine's 32-bit side) on a headless X server, then
# builds the station package and checks it, and runs each fuzz target for a
# short while (scripts/fuzz.sh --ci). On a machine that runs no 32-bit
# program (or with TALVEN_RUN_32BIT=0) the i686 build is built and packed but
# its Windows tests cannot run: the run says so, and every other suite decides.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

source scripts/lib/wine.sh
jobs=$(nproc)
for preset in host host-asan windows windows-i686; do
  if [ $preset = windows-i686 ] && ! talven_runs_32bit; then
    # Its tests cannot run here: scripts/release.sh builds what the package holds.
    echo "== build: $preset, its programs only (by scripts/release.sh, below)"
    continue
  fi
  echo "== build: $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

# An X server for each Windows build: their tests run side by side, each
# build with its own Wine prefix. They wait on Wine more than they compute,
# so this takes about as long as one of them alone.
talven_x_server
display64=$DISPLAY xvfb64=${TALVEN_XVFB_PID:-}
unset DISPLAY TALVEN_XVFB_PID
run32=0 display32= xvfb32=
if talven_runs_32bit; then
  run32=1
  talven_x_server
  display32=$DISPLAY xvfb32=${TALVEN_XVFB_PID:-}
  unset TALVEN_XVFB_PID
fi
export DISPLAY=$display64
i686_pid= fuzz_pid=
cleanup() {
  [ -z "$i686_pid" ] || kill "$i686_pid" 2>/dev/null || true
  [ -z "$fuzz_pid" ] || kill "$fuzz_pid" 2>/dev/null || true
  WINEPREFIX="$PWD/build/win64/wineprefix" wineserver -k >/dev/null 2>&1 || true
  WINEPREFIX="$PWD/build/win32/wineprefix" wineserver -k >/dev/null 2>&1 || true
  for pid in $xvfb64 $xvfb32; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

# Each build's prefix is made and kept warm (see talven_wine_keep_warm); the
# cleanup above stops both servers.
(talven_wine_keep_warm "$PWD/build/win64/wineprefix" win64)
[ $run32 = 0 ] || (DISPLAY=$display32 talven_wine_keep_warm "$PWD/build/win32/wineprefix" win32)

status=0
echo "== test: host"
ctest --preset host -j "$jobs" || status=1
echo "== test: host-asan (AddressSanitizer, UndefinedBehaviorSanitizer)"
ctest --preset host-asan -j "$jobs" || status=1
# The fuzz targets build and run beside the Windows tests, which mostly wait on Wine.
mkdir -p build
fuzz_log=build/fuzz-ci.log
scripts/fuzz.sh --ci >"$fuzz_log" 2>&1 &
fuzz_pid=$!
i686_log=build/win32/ctest-windows-i686.log
if [ $run32 = 1 ]; then
  echo "== test: windows (under Wine), with windows-i686 beside it"
  DISPLAY=$display32 ctest --preset windows-i686 -j "$jobs" >"$i686_log" 2>&1 &
  i686_pid=$!
else
  echo "== test: windows (under Wine's 64-bit loader)"
fi
ctest --preset windows -j "$jobs" || status=1
if [ $run32 = 1 ]; then
  wait "$i686_pid" || status=1
  i686_pid=
  echo "== test: windows-i686 (under Wine's 32-bit side; its output, $i686_log)"
  cat "$i686_log"
else
  echo "== test: windows-i686: $talven_no_32bit_text"
fi
echo "== test: the station package (scripts/release.sh builds and checks it)"
scripts/release.sh || status=1
wait "$fuzz_pid" || status=1
fuzz_pid=
echo "== test: fuzz targets, about 20 s each (scripts/fuzz.sh --ci; its output, $fuzz_log)"
cat "$fuzz_log"
if [ $status -eq 0 ] && [ $run32 = 1 ]; then
  echo "All tests passed (host, host-asan, Windows x86_64 and i686, the station package and the fuzz targets)."
elif [ $status -eq 0 ]; then
  echo "All tests run passed (host, host-asan, Windows x86_64, the station package and the fuzz targets);"
  echo "$talven_no_32bit_text."
else
  echo "Some tests FAILED." >&2
fi
exit $status

#!/usr/bin/env bash
# Installs what is missing, builds every build (host, host under the
# sanitizers, Windows x86_64, Windows i686) and runs every test: host tests
# natively, once plain and once under AddressSanitizer and
# UndefinedBehaviorSanitizer, Windows tests of both Windows builds under Wine
# (the i686 build's under Wine's 32-bit side) on a headless X server, then
# builds the station package and checks it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

jobs=$(nproc)
for preset in host host-asan windows windows-i686; do
  echo "== build: $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

source scripts/lib/wine.sh
talven_x_server
cleanup() {
  WINEPREFIX="$PWD/build/win64/wineprefix" wineserver -k >/dev/null 2>&1 || true
  WINEPREFIX="$PWD/build/win32/wineprefix" wineserver -k >/dev/null 2>&1 || true
  talven_x_server_stop
}
trap cleanup EXIT

status=0
echo "== test: host"
ctest --preset host -j "$jobs" || status=1
echo "== test: host-asan (AddressSanitizer, UndefinedBehaviorSanitizer)"
ctest --preset host-asan -j "$jobs" || status=1
echo "== test: windows (under Wine)"
ctest --preset windows -j "$jobs" || status=1
echo "== test: windows-i686 (under Wine's 32-bit side)"
ctest --preset windows-i686 -j "$jobs" || status=1
echo "== test: the station package (scripts/release.sh builds and checks it)"
scripts/release.sh || status=1
if [ $status -eq 0 ]; then echo "All tests passed (host, host-asan, Windows x86_64 and i686, and the station package)."; else echo "Some tests FAILED." >&2; fi
exit $status

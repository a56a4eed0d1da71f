#!/usr/bin/env bash
# Builds the station package build/release/Talven-<version>.zip from the host,
# Windows x86_64 and Windows i686 builds (building whatever is missing or out
# of date first) and checks it: its listing, that every executable needs no
# DLL beyond Windows' own, and that the shipped settings file gives the
# programming run's defaults.
set -euo pipefail
cd "$(dirname "$0")/.."

# The version the program shows in its version record and about box.
version=$(sed -n 's/.*VALUE "FileVersion", "\([^"]*\)".*/\1/p' resources/Talven.rc)
[ -n "$version" ] || { echo "release: no FileVersion in resources/Talven.rc" >&2; exit 1; }
package="build/release/Talven-$version.zip"

scripts/setup.sh
declare -A folders=([host]=build/host [windows]=build/win64 [windows-i686]=build/win32)
# What each build puts in the package, and the host tools that check it: only
# that is built here.
declare -A packed=([host]="talven_package_documents talven_shipped_settings talven-ini talven-image"
                   [windows]="Talven talven-image talven-report TalvenSim"
                   [windows-i686]="Talven talven-image talven-report")
for preset in host windows windows-i686; do
  echo "== build: $preset (what the package holds)"
  # A configured build folder configures itself again when a CMakeLists.txt
  # changes, so only a new one is configured here; the build brings an
  # existing one (test.sh's, say) up to date, or finds it so.
  [ -f "${folders[$preset]}/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
  # shellcheck disable=SC2086
  cmake --build --preset "$preset" -j "$(nproc)" --target ${packed[$preset]}
done

stage=build/release/Talven-$version
rm -rf "$stage" "$package"
mkdir -p "$stage"
cmake --install "${folders[windows]}" --prefix "$stage" --component programs --strip >/dev/null
cmake --install "${folders[windows-i686]}" --prefix "$stage" --component programs --strip >/dev/null
cmake --install "${folders[host]}" --prefix "$stage" --component documents >/dev/null
(cd "$stage" && cmake -E tar cf "../$(basename "$package")" --format=zip -- *)
echo "== package: $package"

python3 tests/release/check_release.py "$package" "${folders[host]}"

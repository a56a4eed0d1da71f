#!/usr/bin/env bash
# scripts/fuzz.sh [TARGET] [SECONDS]   fuzz one target, or all one after another (default 60 s each)
# scripts/fuzz.sh --ci                 every target about 20 s, as many side by side as there
#                                      are processors, as scripts/test.sh runs them
#
# Builds the fuzz targets (preset fuzz: clang, libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer; tests/fuzz/) and runs each from a copy of
# its seed corpus and of the inputs that once found a fault, in
# build/fuzz/work/TARGET (the repository is never written). An input that
# finds a fault is kept in build/fuzz/findings/TARGET/ and its path printed;
# the script then exits non-zero. Keep such an input in
# tests/fuzz/regressions/TARGET/ once the fault is understood: the ordinary
# test suite replays it.
set -euo pipefail
cd "$(dirname "$0")/.."

targets=(settings station state spool tail text)
seconds=60
chosen=("${targets[@]}")
parallel=1
if [ "${1:-}" = --ci ]; then
  seconds=20
  parallel=$(nproc)
  shift
elif [ -n "${1:-}" ] && [[ ! "$1" =~ ^[0-9]+$ ]]; then
  if [[ ! " ${targets[*]} " =~ " $1 " ]]; then
    echo "fuzz: no target '$1' (${targets[*]})" >&2
    exit 2
  fi
  chosen=("$1")
  shift
fi
seconds=${1:-$seconds}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)" --target "${chosen[@]/#/talven_fuzz_}"

# One target's run; its lines for the output go to build/fuzz/TARGET.result.
Fuzz() {
  local target=$1 work=build/fuzz/work/$1 findings=build/fuzz/findings/$1 log=build/fuzz/$1.log found
  rm -rf "$work"
  mkdir -p "$work" "$findings"
  cp tests/fuzz/corpus/"$target"/* "$work"/
  cp tests/fuzz/regressions/"$target"/* "$work"/ 2>/dev/null || true
  {
    echo "== fuzz: $target, $seconds s (log: $log)"
    if build/fuzz/tests/fuzz/talven_fuzz_"$target" "$work" -max_total_time="$seconds" -rss_limit_mb=4096 \
        -artifact_prefix="$findings/" -print_final_stats=1 >"$log" 2>&1; then
      grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 || true
    else
      grep -E '^(invariant broken|SUMMARY|==[0-9]+==ERROR)|runtime error' "$log" | head -5 || true
      found=$(sed -n 's/.*Test unit written to //p' "$log" | tail -1)
      echo "fuzz: $target FOUND A FAULT; the input: ${found:-none written, see $log}"
      return 1
    fi
  } >"build/fuzz/$target.result"
}

# By hand one target at a time, so that the figures of runs compare; in CI
# as many side by side as there are processors.
status=0
pids=()
for target in "${chosen[@]}"; do
  Fuzz "$target" &
  pids+=($!)
  if [ ${#pids[@]} -ge "$parallel" ]; then
    wait "${pids[0]}" || status=1
    pids=("${pids[@]:1}")
  fi
done
for pid in "${pids[@]}"; do wait "$pid" || status=1; done
for target in "${chosen[@]}"; do cat "build/fuzz/$target.result"; done
exit $status

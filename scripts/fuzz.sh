#!/usr/bin/env bash
# Runs every libFuzzer target for a bounded time (seconds, default 60),
# starting from the committed seeds; new corpus entries stay under build/.
set -euo pipefail
seconds="${1:-60}"
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
cmake --preset linux-fuzz >/dev/null
cmake --build --preset linux-fuzz -j "$(nproc)" >/dev/null

for target in FuzzExtension FuzzScan; do
  corpus="build/fuzz-corpus/$target"
  mkdir -p "$corpus"
  log="build/fuzz-$target.log"
  if build/linux-fuzz/tests/fuzz/$target -max_total_time="$seconds" -print_final_stats=1 \
       "$corpus" "tests/fuzz/corpus/$target" >"$log" 2>&1; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
    echo "fuzz $target: ${runs:-?} inputs in ${seconds} s, no failure"
  else
    echo "fuzz $target: FAILED (see $log)"
    tail -30 "$log"
    exit 1
  fi
done

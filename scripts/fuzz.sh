#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each for a bounded time, starting
# from its committed seed corpus. Any finding fails the run and leaves its
# input in build/fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
mkdir -p build/fuzz/findings
for target in fuzz/corpus/*/; do
  name=$(basename "$target")
  work=build/fuzz/corpus/$name
  mkdir -p "$work"
  echo "=== $name: $seconds s"
  log=build/fuzz/$name.log
  status=0
  build/fuzz/fuzz/"$name" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix=build/fuzz/findings/"$name"- "$work" "$target" >"$log" 2>&1 || status=$?
  grep -E '^(stat::number_of_executed_units|Done|SUMMARY)|broken|mismatch|ERROR' "$log" || true
  if ((status != 0)); then
    echo "$name found a fault; its log: $log"
    exit 1
  fi
done
echo "No findings."

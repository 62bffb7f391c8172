#!/usr/bin/env bash
# Builds every preset and runs every test: native release, native debug with
# AddressSanitizer and UndefinedBehaviorSanitizer, native with
# ThreadSanitizer, the redirected end-to-end tests under Valgrind, the
# Windows build under Wine, the 32-bit Windows build (built and checked: Wine
# here runs 64-bit programs only), the fuzz targets for a bounded time, and
# the formatting and clang-tidy checks.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test

export WINEPREFIX=$PWD/build/wineprefix WINEDEBUG=-all LANG=C.UTF-8
mkdir -p "$WINEPREFIX"
# One long-lived server for this prefix keeps every Wine start fast; it is
# started first, so that the prefix is made under it. One already running
# will do as well.
wineserver -p 2>/dev/null || true
trap 'wineserver -k 2>/dev/null || true' EXIT
if [[ ! -f $WINEPREFIX/system.reg ]]; then
  wine cmd /c exit >/dev/null 2>&1 || true
fi

jobs=$(nproc)
presets=(release debug tsan memcheck windows windows-x86)
for preset in "${presets[@]}"; do
  echo "=== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done
for preset in "${presets[@]}"; do
  echo "=== tests: $preset"
  ctest --preset "$preset" -j "$jobs"
done
echo "=== fuzzing"
scripts/fuzz.sh
echo "=== formatting and clang-tidy"
scripts/lint.sh
echo "All presets built and all tests passed."

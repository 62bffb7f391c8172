#!/usr/bin/env bash
# Builds every preset and runs every test: native release, native debug with
# AddressSanitizer and UndefinedBehaviorSanitizer, native with
# ThreadSanitizer, the Windows build under Wine, and the 32-bit Windows build
# (built only: Wine here runs 64-bit programs only).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test

export WINEPREFIX=$PWD/build/wineprefix WINEDEBUG=-all LANG=C.UTF-8
mkdir -p build
if [[ ! -f $WINEPREFIX/system.reg ]]; then
  wine cmd /c exit >/dev/null 2>&1 || true
fi
# One long-lived server for this prefix keeps every Wine start fast.
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT

jobs=$(nproc)
for preset in release debug tsan windows windows-x86; do
  echo "=== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done
for preset in release debug tsan windows windows-x86; do
  echo "=== tests: $preset"
  ctest --preset "$preset" -j "$jobs"
done
echo "All presets built and all tests passed."

#!/usr/bin/env bash
# Builds every preset and runs every test: native release, native debug with
# AddressSanitizer and UndefinedBehaviorSanitizer, native with
# ThreadSanitizer, the redirected end-to-end tests under Valgrind, the 64-bit
# and the 32-bit Windows builds under Wine, the fuzz targets for a bounded
# time, the formatting and clang-tidy checks, and the release archives built
# twice to the same bytes.
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
# Wine must start. Only where the kernel refuses 32-bit programs may its
# 32-bit loader fail: there the tests that run the 32-bit program do not run
# (their configure says so), and the 64-bit program starts through Wine's
# 64-bit loader itself. Anywhere else a Wine that cannot start is broken.
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
if ! starts=$("$wine64" --version 2>&1); then
  echo "Wine is broken here: $wine64 --version says: $starts" >&2
  exit 1
fi
if ! starts=$(wine --version 2>&1); then
  mkdir -p build
  refused=0
  refusal=$(python3 cmake/kernel_runs_32bit.py build) || refused=$?
  if ((refused != 1)); then
    echo "Wine is broken here: wine --version says: $starts" >&2
    exit 1
  fi
  echo "This machine's kernel refuses 32-bit programs ($refusal): the tests that run the 32-bit Windows program do not run."
fi
# Wine's first program under a server starts the prefix's services, which
# keep the pipes they inherit open as long as the server lives: they are
# started here, with nothing attached. A prefix made before 32-bit Wine was
# installed starts no program at all afterwards: one that cannot run Wine's
# own 32-bit cmd is made anew.
runs32() { timeout 120 wine 'C:\windows\syswow64\cmd.exe' /c exit </dev/null >/dev/null 2>&1; }
if wine --version >/dev/null 2>&1 && [[ -f $WINEPREFIX/system.reg ]] && ! runs32; then
  echo "The Wine prefix cannot run 32-bit programs: making it anew."
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineserver -p 2>/dev/null || true
fi
if [[ ! -f $WINEPREFIX/system.reg ]]; then
  "$wine64" cmd /c exit </dev/null >/dev/null 2>&1 || true
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
echo "=== the release archives, built twice from the commit"
scripts/check-reproducible.sh
# Every test a build marked not run, and why.
not_run=$(for preset in "${presets[@]}"; do
  sed "s/^/$preset: /" "build/$preset/not-run.txt" 2>/dev/null || true
done)
echo "All presets built and all tests passed.${not_run:+ Not run:}"
[[ -z $not_run ]] || sed 's/^/  /' <<<"$not_run"

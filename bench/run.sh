#!/usr/bin/env bash
# Measures the tool and prints the block README.md shows: a line naming the
# commit and the processor it was measured on, then one table. Builds the
# release preset (and uses the Windows builds for their sizes when they are
# there). The patch run commits the six bytes to the disk (fsync) before it
# reports success; the minimal program does not. Needs GNU time as
# /usr/bin/time and the static C library (scripts/install-deps.sh test).
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset release >/dev/null
cmake --build --preset release >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
scripts/make-sample.sh "$work/RPG_RT.exe" >/dev/null
cp "$work/RPG_RT.exe" "$work/minimal.exe"
echo 50 >"$work/answer"
tool=build/release/quorvane

cc -O2 -static -o "$work/minimal_static" bench/minimal_patch.c
cp "$work/RPG_RT.exe" "$work/static.exe"
read -r patch minimal minimal_static start < <(python3 bench/spawn_timing.py 300 "$work/answer" \
  -- "$tool" "$work/RPG_RT.exe" \
  -- build/release/bench/minimal_patch "$work/minimal.exe" \
  -- "$work/minimal_static" "$work/static.exe" \
  -- "$tool" | paste -sd' ')
ratio=$(python3 -c "print('%.2f' % ($patch / $minimal))")
ratio_static=$(python3 -c "print('%.2f' % ($patch / $minimal_static))")
memory=$(/usr/bin/time -f %M "$tool" "$work/RPG_RT.exe" <"$work/answer" 2>&1 >/dev/null | tail -1)

timing=$(python3 bench/terminal_timing.py "$tool" "$work/RPG_RT.exe")
field() { python3 -c "import json,sys; print('%.2f' % json.loads(sys.argv[1])[sys.argv[2]])" "$timing" "$1"; }

calls=$(build/release/bench/console_bench --benchmark_format=csv 2>/dev/null | tail -n +2)
per_call() { echo "$calls" | awk -F, -v n="\"$1\"" '$1 == n { printf "%.0f", $3 }'; }

size() { [[ -f $1 ]] && echo "$(stat -c %s "$1") bytes" || echo "not built"; }
strip -o "$work/quorvane" "$tool"

commit=$(git rev-parse --short HEAD)
git diff --quiet HEAD || commit="$commit with uncommitted changes"
processor=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)
processor=${processor:-an unnamed processor}
cores=$(grep -c '^processor' /proc/cpuinfo)
system=$(. /etc/os-release 2>/dev/null && echo "$PRETTY_NAME" || uname -s)

cat <<TABLE
Measured at commit $commit on $system, $processor, $cores cores:

| measurement | value | goal |
|---|---|---|
| redirected patch run, median | $patch ms | |
| minimal C program (open, read one byte, write six), median | $minimal ms | |
| ratio of the medians | $ratio | under 1.5 |
| the same minimal program linked statically, as the tool is, median | $minimal_static ms | |
| ratio of the medians, both static | $ratio_static | |
| start to banner and end, no argument, median | $start ms | |
| peak resident memory, redirected patch run | $((memory)) KiB | under 2048 KiB |
| key-to-echo latency, median of 50 keys | $(field echo_median_ms) ms | under 2 ms |
| key-to-echo latency, maximum of 50 keys | $(field echo_max_ms) ms | |
| processor time idle at the prompt | $(field idle_prompt_percent) % of a core | under 1 % |
| processor time idle at the key wait | $(field idle_key_wait_percent) % of a core | under 1 % |
| integral field conversion (&H100000063) | $(per_call integralField) ns | |
| decimal field conversion (4294967296) | $(per_call decimalField) ns | |
| fractional field conversion (98.50000000000001e0) | $(per_call fractionalField) ns | |
| printLine in screen mode, scrolling (simulated console) | $(per_call printLineOnScreen) ns | |
| printLine passed through (simulated console) | $(per_call printLinePassedThrough) ns | |
| native binary, stripped | $(size "$work/quorvane") | |
| quorvane.exe, x86_64 | $(size build/windows/quorvane.exe) | |
| quorvane.exe, i686 | $(size build/windows-x86/quorvane.exe) | |
TABLE

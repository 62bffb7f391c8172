#!/usr/bin/env bash
# Builds the tool alone (no tests, nothing but a compiler, CMake and Ninja)
# and runs it, in this terminal, on a synthetic sample file shaped like the
# runtime (never a real game file).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh build
cmake -S . -B build/tool -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/tool
scripts/make-sample.sh build/sample/RPG_RT.exe
exec build/tool/quorvane build/sample/RPG_RT.exe

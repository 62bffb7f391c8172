#!/usr/bin/env bash
# Builds the tool and runs it, in this terminal, on a synthetic sample file
# shaped like the runtime (never a real game file).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh build
cmake --preset release >/dev/null
cmake --build --preset release --target quorvane
scripts/make-sample.sh build/sample/RPG_RT.exe
exec build/release/quorvane build/sample/RPG_RT.exe

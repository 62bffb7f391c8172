#!/usr/bin/env bash
# Checks the formatting of every C++ file and runs clang-tidy on the sources
# of the native build (configured by the release preset).
set -euo pipefail
cd "$(dirname "$0")/.."

files=$(git ls-files '*.cpp' '*.h')
clang-format --dry-run -Werror $files

cmake --preset release >/dev/null
sources=$(git ls-files 'src/*.cpp' | grep -v '/windows/')
printf '%s\n' $sources | xargs -P "$(nproc)" -n 4 clang-tidy -p build/release --quiet \
  --extra-arg=-Wno-unknown-warning-option 2>/dev/null
echo "Formatting and clang-tidy are clean."

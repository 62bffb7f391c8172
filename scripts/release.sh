#!/usr/bin/env bash
# Builds the release archives and their SHA-256 sums into dist/:
# quorvane-<version>-win64.zip, quorvane-<version>-win32.zip and the Linux
# tarball, each with a .sha256 file, and SHA256SUMS for all of them.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test
rm -rf dist
mkdir -p dist
for preset in windows windows-x86 release; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target quorvane
  cpack --preset "$preset" -B "$PWD/build/packages/$preset" >/dev/null
  cp build/packages/"$preset"/quorvane-*.{zip,tar.gz} dist/ 2>/dev/null || true
done
cd dist
for archive in quorvane-*; do
  sha256sum "$archive" >"$archive.sha256"
done
sha256sum quorvane-*.zip quorvane-*.tar.gz >SHA256SUMS
cat SHA256SUMS

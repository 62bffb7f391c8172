#!/usr/bin/env bash
# The release archives, built twice from the commit in two folders at two
# different times, must be the same bytes.
set -euo pipefail
cd "$(dirname "$0")/.."
commit=$(git rev-parse HEAD)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for copy in first second; do
  git clone -q --no-checkout . "$work/$copy"
  git -C "$work/$copy" checkout -q "$commit"
  "$work/$copy/scripts/release.sh" >/dev/null
  sleep 1
done
diff "$work/first/dist/SHA256SUMS" "$work/second/dist/SHA256SUMS"
cat "$work/first/dist/SHA256SUMS"

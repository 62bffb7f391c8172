#!/bin/sh
# make-sample.sh - writes a SYNTHETIC sample shaped like an RPG_RT.exe runtime.
#
# The file it writes is never a real game file and holds nothing of any game
# or runtime: it is all zero bytes, except that it has the exact length of one
# of the two runtime editions that quorvane recognises and the byte 0x63 (an
# item limit of 99) at the six places where that edition keeps the limit. It
# is only good for trying quorvane out and for testing it.
#
# Usage: make-sample.sh <output path> [edition]
#   edition 0 (default): 727552 bytes
#   edition 1:           955568 bytes
# An existing file at <output path> is overwritten.
#
# Only POSIX sh and standard tools (head, dd, printf) are used.

set -eu

usage() {
  echo "usage: $0 <output path> [edition: 0 (default) or 1]" >&2
  exit 2
}

[ $# -ge 1 ] && [ $# -le 2 ] || usage
output=$1
edition=${2:-0}

case $edition in
  0)
    length=727552
    offsets="457985 462711 462738 464015 509085 509229"
    ;;
  1)
    length=955568
    offsets="598937 603746 603773 605059 677457 677601"
    ;;
  *) usage ;;
esac

mkdir -p "$(dirname "$output")"
head -c "$length" /dev/zero >"$output"
for offset in $offsets; do
  # \143 is octal for the byte 0x63.
  printf '\143' | dd of="$output" bs=1 seek="$offset" conv=notrunc 2>/dev/null
done

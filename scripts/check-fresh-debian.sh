#!/usr/bin/env bash
# Runs the README's two commands on a plain Debian of the given release, as a
# new contributor's machine would have it: a minimal system made with
# debootstrap, a clone of this repository's HEAD commit in it, and under
# chroot first `scripts/try.sh` (answered with 50, as CI does), then
# `scripts/test.sh`. Prints the time each took. Needs root, the network and,
# for both commands, about a quarter of an hour on two cores.
#
# Usage: scripts/check-fresh-debian.sh bookworm|trixie
# KEEP=1 keeps the system's folder afterwards (it is printed).
set -euo pipefail
cd "$(dirname "$0")/.."

release=${1:?usage: check-fresh-debian.sh bookworm|trixie}
[[ $(id -u) == 0 ]] || { echo "check-fresh-debian.sh: run it as root (debootstrap and chroot)" >&2; exit 2; }
commit=$(git rev-parse HEAD)
command -v debootstrap >/dev/null || { apt-get update -qq && apt-get install -y -qq debootstrap; }
# The first Debian mirror this machine's own sources name.
mirror=$(cat /etc/apt/sources.list.d/*.sources /etc/apt/sources.list 2>/dev/null |
  sed -n 's/^URIs: *\(\S*\/debian\)\/\?$/\1/p; s/^deb \(\S*\/debian\)\/\? .*/\1/p' | head -n 1 || true)
mirror=${mirror:-http://deb.debian.org/debian}

root=$(mktemp -d "${TMPDIR:-/var/tmp}/fresh-$release-XXXXXX")
chmod 755 "$root"  # a system's root, which every user passes through
mounted=()
finish() {
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" || true; done
  if [[ ${KEEP:-} == 1 ]] || findmnt -rn -o TARGET | grep -q "^$root/"; then
    echo "The system stays in $root"
  else
    rm -rf --one-file-system "$root"
  fi
}
trap finish EXIT

seconds() { # seconds <label> <command>...: runs it and prints how long it took
  local label=$1 start=$SECONDS
  shift
  "$@"
  echo "=== $release: $label passed in $((SECONDS - start)) s"
}

bootstrap() { debootstrap --variant=minbase "$release" "$root" "$mirror" >/dev/null; }
seconds "debootstrap" bootstrap
for target in proc dev dev/pts tmp; do
  case $target in
    proc) mount -t proc proc "$root/proc" ;;
    tmp) mount -t tmpfs tmpfs "$root/tmp" ;;
    *) mount --bind "/$target" "$root/$target" ;;
  esac
  mounted+=("$root/$target")
done
cp /etc/resolv.conf "$root/etc/resolv.conf"
git clone -q --no-checkout . "$root/root/quorvane"
git -C "$root/root/quorvane" checkout -q "$commit"
echo "=== $release: $(cat "$root/etc/debian_version"), commit $commit"

in_chroot() {
  chroot "$root" env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    TERM="${TERM:-dumb}" bash -c "cd /root/quorvane && $1"
}
try() {
  local shown
  shown=$(in_chroot "printf '50\n' | scripts/try.sh")
  printf '%s\n' "$shown" | tail -n 4
  grep -qx $'Successfully patched!\r' <<<"$shown"
}
seconds "scripts/try.sh" try
seconds "scripts/test.sh" in_chroot scripts/test.sh

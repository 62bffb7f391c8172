#!/usr/bin/env bash
# Builds the release archives and their SHA-256 sums into dist/:
# quorvane-<version>-win64.zip, quorvane-<version>-win32.zip and the Linux
# tarball, each with a .sha256 file, and SHA256SUMS for all of them.
#
# The archives depend on the commit alone: each holds the program, a guide
# and the licence in that order (for Windows quorvane.exe, README.txt from
# packaging/windows/ and LICENSE.txt, both with CRLF line ends; for Linux
# quorvane, README.md and LICENSE), every entry dated with the commit's
# time (SOURCE_DATE_EPOCH, when not given) and owned by no one, so that the
# same commit gives the same bytes wherever and whenever it is built.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
version=$(sed -n 's/^project(quorvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

# pack <archive> <file>...: a zip or a gzipped tar of the files, by name.
pack() {
  python3 - "$@" <<'EOF'
import gzip, os, sys, tarfile, time, zipfile
archive, files = sys.argv[1], sys.argv[2:]
epoch = int(os.environ["SOURCE_DATE_EPOCH"])
def mode(path):
    return 0o755 if os.access(path, os.X_OK) else 0o644
if archive.endswith(".zip"):
    with zipfile.ZipFile(archive, "w") as z:
        for path in files:
            info = zipfile.ZipInfo(os.path.basename(path), time.gmtime(epoch)[:6])
            info.external_attr = mode(path) << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(path, "rb") as f:
                z.writestr(info, f.read())
else:
    with open(archive, "wb") as raw, \
         gzip.GzipFile(filename="", fileobj=raw, mode="wb", mtime=epoch) as packed, \
         tarfile.open(fileobj=packed, mode="w", format=tarfile.USTAR_FORMAT) as tar:
        for path in files:
            info = tar.gettarinfo(path, os.path.basename(path))
            info.mtime, info.mode = epoch, mode(path)
            info.uid = info.gid = 0
            info.uname = info.gname = ""
            with open(path, "rb") as f:
                tar.addfile(info, f)
EOF
}

rm -rf dist
mkdir -p dist
for preset in windows windows-x86 release; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target quorvane
done
# The Windows guide and licence, with the version filled in and CRLF line
# ends, so that Notepad shows their lines.
text=build/package/windows
rm -rf "$text"
mkdir -p "$text"
sed -e "s/@VERSION@/$version/g" -e 's/\r*$/\r/' packaging/windows/README.txt >"$text/README.txt"
sed -e 's/\r*$/\r/' LICENSE >"$text/LICENSE.txt"
pack "dist/quorvane-$version-win64.zip" build/windows/quorvane.exe "$text/README.txt" "$text/LICENSE.txt"
pack "dist/quorvane-$version-win32.zip" build/windows-x86/quorvane.exe "$text/README.txt" "$text/LICENSE.txt"
mkdir -p build/release/package
strip -o build/release/package/quorvane build/release/quorvane
pack "dist/quorvane-$version-linux-$(uname -m).tar.gz" build/release/package/quorvane README.md LICENSE
cd dist
for archive in quorvane-*; do
  sha256sum "$archive" >"$archive.sha256"
done
sha256sum quorvane-*.zip quorvane-*.tar.gz >SHA256SUMS
cat SHA256SUMS

#!/usr/bin/env bash
# Makes the Windows package dist/orlosend-<version>-win32.zip from the i686
# build: orlosend.exe, orlosend-setup.exe, a read-me in Japanese (CP932, CR LF)
# and in English (CR LF), and SHA256SUMS, in that order.
#
#   tools/release.sh [--build DIR] [--out DIR]
#
# --build is the folder of the builds (default build/; the product is built in
# DIR/i686, only when out of date); --out the package's folder (default dist/).
# The same sources give the same zip byte for byte: the programs are linked
# without a time stamp, and every entry gets the same fixed time (the last
# commit's, or SOURCE_DATE_EPOCH), the same permissions and no extra fields.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

base="$here/build"
out="$here/dist"
while [ $# -gt 0 ]; do
  case "$1" in
    --build) base="$2"; shift 2 ;;
    --out) out="$2"; shift 2 ;;
    *) echo "usage: tools/release.sh [--build DIR] [--out DIR]" >&2; exit 2 ;;
  esac
done

version="$(head -n 1 "$here/VERSION" | tr -d ' \r\n')"
if ! [[ "$version" =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]]; then
  echo "release: VERSION must hold MAJOR.MINOR.PATCH, not '$version'" >&2
  exit 2
fi

bash "$here/tools/setup-debian.sh"
for tool in zip iconv sha256sum; do
  command -v "$tool" >/dev/null || { echo "release: $tool is missing" >&2; exit 2; }
done

# The product, built like test.sh builds it; only its two programs.
dir="$base/i686"
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S "$here" -B "$dir" -G Ninja -DORLO_ARCH=i686 -DORLO_WINE_STATE="$base/wine-state" >/dev/null
fi
log="$(mktemp)"
if ! cmake --build "$dir" --target orlosend orlosend_setup >"$log" 2>&1; then
  cat "$log" >&2; rm -f "$log"
  echo "release: the i686 build failed" >&2
  exit 1
fi
rm -f "$log"

if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
  stamp="$SOURCE_DATE_EPOCH"
elif ! stamp="$(git -C "$here" log -1 --format=%ct 2>/dev/null)" || [ -z "$stamp" ]; then
  stamp=1764547200   # 2025-12-01 00:00 UTC, for a tree outside git
fi

stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
files=(orlosend.exe orlosend-setup.exe README-ja.txt README-en.txt)
cp "$dir/app/orlosend.exe" "$dir/app/orlosend-setup.exe" "$stage/"
# Read-mes are kept as UTF-8 with LF; Windows gets CR LF, and the Japanese one
# in the code page its Notepad of that era reads.
crlf() { sed -e "s/@VERSION@/$version/g" -e 's/$/\r/'; }
crlf < "$here/tools/release/README-ja.txt" | iconv -f UTF-8 -t CP932 > "$stage/README-ja.txt"
crlf < "$here/tools/release/README-en.txt" > "$stage/README-en.txt"
(cd "$stage" && sha256sum "${files[@]}" > SHA256SUMS)
files+=(SHA256SUMS)
chmod 644 "${files[@]/#/$stage/}"
touch -h -d "@$stamp" "${files[@]/#/$stage/}"

mkdir -p "$out"
out="$(cd "$out" && pwd)"
zipfile="$out/orlosend-$version-win32.zip"
rm -f "$zipfile.tmp"
# Zip stores local times: UTC keeps the time zone out of the bytes.
(cd "$stage" && TZ=UTC zip -X -q -9 "$zipfile.tmp" "${files[@]}")
mv -f "$zipfile.tmp" "$zipfile"
echo "release: $zipfile"
(cd "$stage" && cat SHA256SUMS)

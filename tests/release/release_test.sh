#!/usr/bin/env bash
# The Windows package, made twice from the same build: the two zips must be
# the same bytes, hold exactly the files a user needs in their order, and
# each file must be what it claims (the build's programs, their checksums,
# read-mes a Windows editor shows right).
#
#   release_test.sh BUILDS     (the folder holding the i686 build)
set -uo pipefail
builds="$1"
src="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
fails=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fails=$((fails + 1)); fi; }

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
version="$(head -n 1 "$src/VERSION" | tr -d ' \r\n')"
zipname="orlosend-$version-win32.zip"

start=$(date +%s)
bash "$src/tools/release.sh" --build "$builds" --out "$scratch/a" >/dev/null || { echo "FAILED: first release run"; exit 1; }
echo "first run: $(( $(date +%s) - start )) s"
# Files copied a second later get other times unless the package fixes them.
sleep 2
bash "$src/tools/release.sh" --build "$builds" --out "$scratch/b" >/dev/null || { echo "FAILED: second release run"; exit 1; }
a="$scratch/a/$zipname"
check "package named after the version" '[ -f "$a" ]'
check "two runs give the same bytes" 'cmp "$a" "$scratch/b/$zipname"'

listing="$(unzip -Z1 "$a" 2>&1)"
want="$(printf '%s\n' orlosend.exe orlosend-setup.exe README-ja.txt README-en.txt SHA256SUMS)"
check "the files, in their order" '[ "$listing" = "$want" ]'
[ "$listing" = "$want" ] || { echo "listing:"; echo "$listing"; }
check "one time for every entry" '[ "$(unzip -Z -T "$a" | grep -oE "[0-9]{8}\.[0-9]{6}" | sort -u | wc -l)" -eq 1 ]'

x="$scratch/x"
mkdir -p "$x"
unzip -q "$a" -d "$x"
check "checksums hold and name every other file" \
  '(cd "$x" && sha256sum --quiet -c SHA256SUMS) && [ "$(cut -c67- "$x/SHA256SUMS")" = "$(head -n 4 <<<"$want")" ]'
check "the programs are the build's" \
  'cmp "$x/orlosend.exe" "$builds/i686/app/orlosend.exe" && cmp "$x/orlosend-setup.exe" "$builds/i686/app/orlosend-setup.exe"'

# PE header: machine 0x014c (i386) and a zero link time stamp.
pe_field() { local off; off=$(od -An -t u4 -j 60 -N 4 "$1" | tr -d ' '); od -An -t x"$3" -j $((off + $2)) -N "$3" "$1" | tr -d ' '; }
for p in orlosend.exe orlosend-setup.exe; do
  check "$p is a 32-bit program" '[ "$(pe_field "$x/$p" 4 2)" = 014c ]'
  check "$p carries no link time" '[ "$(pe_field "$x/$p" 8 4)" = 00000000 ]'
done

# Read-mes: CR LF on every line, no bare LF or CR; Japanese in CP932.
crlf_only() { [ "$(tr -cd '\n' < "$1" | wc -c)" -gt 5 ] && [ "$(grep -c $'\r$' "$1")" -eq "$(tr -cd '\n' < "$1" | wc -c)" ] && [ "$(tr -cd '\r' < "$1" | wc -c)" -eq "$(tr -cd '\n' < "$1" | wc -c)" ]; }
check "Japanese read-me has CR LF lines" 'crlf_only "$x/README-ja.txt"'
check "English read-me has CR LF lines" 'crlf_only "$x/README-en.txt"'
ja="$(iconv -f CP932 -t UTF-8 "$x/README-ja.txt" 2>/dev/null)"
check "Japanese read-me is CP932 text" '[ -n "$ja" ] && ! iconv -f UTF-8 -t UTF-8 "$x/README-ja.txt" >/dev/null 2>&1 && grep -q "インストール" <<<"$ja"'
check "read-mes name the version" 'grep -q "orlosend $version" <<<"$ja" && grep -q "orlosend $version" "$x/README-en.txt"'
check "English read-me is plain ASCII" '! LC_ALL=C grep -q "[^ -~]" <(tr -d "\r" < "$x/README-en.txt")'

[ $fails -eq 0 ] && echo "release test passed" || echo "release test: $fails failed"
exit $fails

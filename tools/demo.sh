#!/usr/bin/env bash
# A scripted run of orlosend, as a person would make it: three files sent from
# an "Inbox" folder to a favourite folder "Archive" that already holds one of
# them. The program starts with the files, a favourite is picked, OK pressed,
# the overwrite question answered YES, and the program closes by itself.
# Every step is a screenshot (PNG) in the output folder, beside report.txt,
# which says what was moved where. Exits non-zero when the outcome is not what
# the run should give.
#
#   tools/demo.sh BUILD_DIR [OUTPUT_DIR]
#
# BUILD_DIR is one architecture's build (build/x86_64, say): the program and
# the driver are taken from it, and it runs in that build's Wine prefix, on
# its private Xvfb unless a display is served.
set -euo pipefail

build="$(cd "${1:?usage: tools/demo.sh BUILD_DIR [OUTPUT_DIR]}" && pwd)"
out="${2:-}"
if [ -z "$out" ]; then out="$(mktemp -d "${TMPDIR:-/tmp}/orlosend-demo.XXXXXX")"; fi
mkdir -p "$out"
out="$(cd "$out" && pwd)"

runner="$build/wine-run"
exe="$build/app/orlosend.exe"
drive="$build/tests/e2e/orlodrive.exe"
for f in "$runner" "$exe" "$drive"; do
  [ -e "$f" ] || { echo "demo: $f is missing (build first)" >&2; exit 2; }
done

prefix="$("$runner" --prefix)"
display="$("$runner" --display)"
root="$prefix/drive_c/orlosend-demo"
winroot='C:\orlosend-demo'

step=0
shot() {
  step=$((step + 1))
  local file
  file="$out/$(printf '%d' "$step")-$1.png"
  sleep 0.3  # let the last paint reach the screen
  DISPLAY="$display" import -window root "$file"
  echo "demo: screenshot $file"
}
drive() { "$runner" "$drive" "$@"; }
fail() {
  echo "demo: $*" >&2
  echo "FAILED: $*" >> "$out/report.txt"
  drive close TForm2 >/dev/null 2>&1 || true
  drive close TForm1 >/dev/null 2>&1 || true
  exit 1
}

# The scene: the program with its two files, an inbox and an archive.
rm -rf "$root"
mkdir -p "$root/prog" "$root/Inbox" "$root/Archive"
cp "$exe" "$root/prog/orlosend.exe"
printf 'Quarterly report, final\r\n' > "$root/Inbox/report 2026.txt"
printf 'Summer photos list\r\n' > "$root/Inbox/写真;夏.txt"
printf 'Notes, new version\r\n' > "$root/Inbox/notes.txt"
printf 'Notes, old version\r\n' > "$root/Archive/notes.txt"
printf '[Setting]\r\nToPath=C:\\\r\nAction=0\r\n' > "$root/prog/orlosend.ini"
printf '%s\r\n%s\r\n' "$winroot\\Archive" 'C:\Tools' > "$root/prog/dirlist.txt"
: > "$out/report.txt"

# Started as the shell's Send To starts it: one argument per file.
"$runner" "$root/prog/orlosend.exe" "$winroot\\Inbox\\report 2026.txt" "$winroot\\Inbox\\写真;夏.txt" \
  "$winroot\\Inbox\\notes.txt" > "$out/program-output.txt" 2>&1 &
program=$!

drive wait TForm1 20000 || fail "the main window did not come up"
memo="$(drive lines TForm1/TMemo | tr -d '\r')"
[ "$memo" = "$(printf 'report 2026.txt\n写真;夏.txt\nnotes.txt')" ] || fail "the file list shows: $memo"
shot started

# A favourite puts its folder into the destination field.
drive click TForm1/TListBox 10 6
for _ in $(seq 50); do
  [ "$(drive text TForm1/TEdit | tr -d '\r')" = "$winroot\\Archive" ] && break
  sleep 0.1
done
[ "$(drive text TForm1/TEdit | tr -d '\r')" = "$winroot\\Archive" ] || fail "the favourite did not fill the destination"
shot favourite-picked

# OK: two files move at once; notes.txt is already there, so the question comes.
drive click TForm1/TCuteButton#0 10 10
drive wait TForm2 20000 || fail "no overwrite question for notes.txt"
shot overwrite-question

drive click TForm2/TCuteButton#0 10 10
drive gone TForm1 20000 || fail "the program did not close after the transfer"
wait "$program" || fail "the program ended with an error"
shot finished

# What happened on disk.
{
  echo "orlosend demo, $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo
  echo "Sent from $winroot\\Inbox to $winroot\\Archive (Move), with an overwrite question"
  echo "for notes.txt answered YES."
  echo
  echo "Archive now holds:"
  (cd "$root/Archive" && for f in *; do printf '  %s: %s\n' "$f" "$(tr -d '\r' < "$f")"; done)
  echo "Inbox now holds:"
  (cd "$root/Inbox" && for f in *; do [ -e "$f" ] && printf '  %s\n' "$f"; done; true)
  [ -n "$(ls -A "$root/Inbox")" ] || echo "  (nothing)"
  echo
  echo "Favourites file (dirlist.txt) after the close:"
  tr -d '\r' < "$root/prog/dirlist.txt" | sed 's/^/  /'
  echo "Settings file (orlosend.ini) after the close:"
  tr -d '\r' < "$root/prog/orlosend.ini" | sed 's/^/  /'
  echo
  echo "Screenshots:"
  for f in "$out"/*.png; do echo "  $f"; done
} >> "$out/report.txt"

# The outcome a person expects.
[ "$(tr -d '\r' < "$root/Archive/notes.txt")" = "Notes, new version" ] || fail "notes.txt was not replaced"
[ -f "$root/Archive/report 2026.txt" ] || fail "report 2026.txt did not arrive"
[ -f "$root/Archive/写真;夏.txt" ] || fail "写真;夏.txt did not arrive whole"
[ -z "$(ls -A "$root/Inbox")" ] || fail "files were left in the inbox"
[ "$(head -n 1 "$root/prog/dirlist.txt" | tr -d '\r')" = "$winroot\\Archive" ] || fail "the favourite is not first"

echo "demo: passed; report and screenshots in $out"

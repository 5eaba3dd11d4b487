#!/usr/bin/env bash
# The Linux desktop set-up, as a file manager and a start menu would use it:
# installed into a scratch home (with a blank in its path), every entry must
# pass desktop-file-validate without a remark, and the program started through
# the entries' own command lines must list exactly the files given, read
# through the end-to-end driver, and end with status 0. The session has no
# Japanese locale of its own (LOCPATH points nowhere, as on most desktops):
# the install gives the program one or installs nothing. Names a Windows path
# cannot carry never reach the program. The uninstall takes everything away
# and keeps the settings and favourites.
#
#   launcher_test.sh ORLOSEND_EXE ORLODRIVE_EXE WINE_RUN
set -uo pipefail
exe="$1" drive="$2" runner="$3"
src="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
fails=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fails=$((fails + 1)); fi; }

scratch="$(mktemp -d)"
# The scratch prefixes' Wine servers go with the scratch folder.
cleanup() {
  local p
  for p in "$scratch"/*/.local/share/orlosend/prefix-*; do
    [ -d "$p" ] && WINEPREFIX="$p" /usr/lib/wine/wineserver64 -k 2>/dev/null
  done
  rm -rf "$scratch"
}
trap cleanup EXIT
export DISPLAY="$("$runner" --display)"
arch="$("$runner" --arch "$exe")"
if [ "$arch" = x86_64 ]; then loader=/usr/lib/wine/wine64; else loader=/usr/lib/wine/wine; fi
version="$(head -n 1 "$src/VERSION" | tr -d ' \r\n')"

# A home for one installation: sets HOME, data, bin and prefix.
use_home() {
  export HOME="$scratch/$1" XDG_DATA_HOME="$scratch/$1/.local/share"
  mkdir -p "$HOME"
  data="$XDG_DATA_HOME" bin="$HOME/bin"
  prefix="$data/orlosend/prefix-$arch"
}
install() { bash "$src/tools/install-desktop.sh" --exe "$exe" --bin "$bin" "$@"; }
# The driver runs with the machine's own locale, whatever the session has.
drv() { env -u LOCPATH WINEPREFIX="$prefix" WINELOADER="$loader" WINEDEBUG=-all LC_ALL=ja_JP.UTF-8 "$loader" "$drive" "$@"; }

# Stand-ins: glibc without the locale sources (localedef), without the
# system's ja_JP.UTF-8 (the real locale kept from every locale file), and a
# notification command that records its arguments.
stubs="$scratch/stubs"
mkdir -p "$stubs/no-sources" "$stubs/no-system" "$stubs/notify"
printf '#!/bin/sh\necho "[error] cannot open locale definition file ja_JP" >&2\nexit 4\n' \
  > "$stubs/no-sources/localedef"
printf '#!/bin/sh\nLOCPATH=/nonexistent exec %s "$@"\n' "$(command -v locale)" > "$stubs/no-system/locale"
notes="$scratch/notifications"
printf '#!/bin/sh\n{ echo "notify-send:"; printf "%%s\\n" "$@"; } >> "%s"\n' "$notes" \
  > "$stubs/notify/notify-send"
chmod +x "$stubs"/*/*
export PATH="$stubs/notify:$PATH"
# A desktop session without the Japanese locale.
export LOCPATH=/nonexistent

use_home "my home"
# With neither the sources nor the system's locale nothing is installed, and
# the message names the command that adds the locale.
PATH="$stubs/no-sources:$stubs/no-system:$PATH" install >/dev/null 2>"$scratch/err"
rc=$?
check "no Japanese locale to be had: the install stops, installs nothing and names the command that adds it" \
  '[ $rc -ne 0 ] && [ -z "$(ls -A "$HOME")" ] && grep -Eq "Add it with: +sudo .*(locale-gen|glibc-langpack-ja)" "$scratch/err"'
[ $rc -ne 0 ] && [ -z "$(ls -A "$HOME")" ] || { cat "$scratch/err"; ls -AR "$HOME"; }

# Started by the launcher in a folder, in the background: it becomes Wine, so
# its pid ends with the program's own exit status.
#   launch FOLDER COMMAND [ARG...]
launch() {
  local dir="$1"; shift
  (cd "$dir" && exec "$@") >"$scratch/out" 2>"$scratch/err" &
  started=$!
  # The first start makes the launcher's own prefix.
  for _ in $(seq 600); do [ -f "$prefix/.orlosend-ready" ] && break; sleep 0.1; done
}
# After the window was asked to close: it is gone and the program ended with 0.
closed() {
  local label="$1" rc
  if ! drv gone TForm1 20000; then
    echo "FAILED: $label: program closed"; fails=$((fails + 1))
    drv text "#32770/Static#1" 2>/dev/null | sed 's/^/  its message: /'
    WINEPREFIX="$prefix" /usr/lib/wine/wineserver64 -k 2>/dev/null
  fi
  wait "$started"; rc=$?
  check "$label: the program ended with status 0" '[ $rc -eq 0 ]'
}

# One start of the program: runs the command in a folder and checks that the
# window lists exactly the expected names (one a line; none for an empty list).
#   start_case LABEL FOLDER EXPECTED COMMAND [ARG...]
start_case() {
  local label="$1" dir="$2" want="$3"; shift 3
  launch "$dir" "$@"
  check "$label: main window up" 'drv wait TForm1 60000'
  local shown
  shown="$(drv lines TForm1/TMemo | tr -d '\r')"
  check "$label: the file list shows exactly the names given" '[ "$shown" = "$want" ]'
  [ "$shown" = "$want" ] || { echo "shown:"; echo "$shown"; echo "wanted:"; echo "$want"; }
  drv close TForm1 >/dev/null
  closed "$label"
}

files="$scratch/files"
dest="$scratch/dest"
mkdir -p "$files" "$dest"
printf 'j' > "$files/写真.txt"
printf 'c' > "$files/café.txt"

# Without the locale sources the system's locale serves, whatever LOCPATH
# the session has.
PATH="$stubs/no-sources:$PATH" install >/dev/null || { echo "FAILED: install with the system's locale"; exit 1; }
check "no sources: no locale compiled" '[ ! -e "$data/orlosend/locale" ]'
start_case "the system's locale" "$scratch" "$(printf '%s\n' "写真.txt" "caf?.txt")" \
  "$bin/orlosend" "$files/写真.txt" "$files/café.txt"

# From here on the installer compiles the locale into the program's folder.
install >/dev/null || { echo "FAILED: install"; exit 1; }
thunar="$data/Thunar/sendto/orlosend.desktop"
dolphin="$data/kio/servicemenus/orlosend.desktop"
dolphin_old="$data/kservices5/ServiceMenus/orlosend.desktop"
menu_entry="$data/applications/orlosend.desktop"
nautilus="$data/nautilus/scripts/ORLO SENDTO"
check "launcher installed" '[ -x "$bin/orlosend" ]'
for f in "$thunar" "$dolphin" "$dolphin_old" "$menu_entry"; do
  check "${f#$data/} passes desktop-file-validate without a remark" \
    'out="$(desktop-file-validate "$f" 2>&1)" && [ -z "$out" ] || { echo "$out"; false; }'
done
check "new Dolphin reads its menu: executable" '[ -x "$dolphin" ]'
check "Dolphin menu offered for every file and folder" \
  'grep -qx "MimeType=application/octet-stream;inode/directory;" "$dolphin" && grep -q "^X-KDE-ServiceTypes=KonqPopupMenu/Plugin,all/allfiles" "$dolphin_old"'
check "Nautilus script" '[ -x "$nautilus" ]'
icon="$data/icons/hicolor/32x32/apps/$(sed -n 's/^Icon=//p' "$menu_entry").png"
check "start-menu icon is a 32 x 32 picture" '[ "$(identify -format "%m %wx%h" "$icon" 2>/dev/null)" = "PNG 32x32" ]'
check "--version says the version" '[ "$("$bin/orlosend" --version)" = "orlosend $version" ]'
check "--help says how to use it" '"$bin/orlosend" --help | grep -q "^usage: orlosend"'

# The command line of a desktop entry, with its file list given: the entry's
# escaping undone as a launcher does it.
entry_command() {
  local line
  line="$(sed -n 's/^Exec=//p' "$1" | head -n 1)"
  line="${line//\\\\/\\}"
  line="${line% %F}"
  eval "cmd=($line)"
  cmd=("${cmd[@]//%%/%}")
}

# Awkward names: blanks, Japanese, ";", a leading dash, quotes, an option's
# name, a relative name.
names=("a b.txt" "写真;夏.txt" "it's here.txt" "--version" "-dash.txt" "表示.txt")
for n in "${names[@]}"; do printf 'x' > "$files/$n"; done

# Thunar hands over absolute paths.
entry_command "$thunar"
start_case "Thunar entry" "$scratch" "$(printf '%s\n' "${names[@]:0:3}")" \
  "${cmd[@]}" "$files/a b.txt" "$files/写真;夏.txt" "$files/it's here.txt"
# Nautilus runs its script in the folder shown, with names relative to it:
# a file named like an option, first, is still a file.
start_case "Nautilus script" "$files" "$(printf '%s\n' "${names[@]:3:3}")" \
  "$nautilus" "--version" "-dash.txt" "./表示.txt"
# Names the code page cannot hold reach the program by their true names and
# are moved under them.
printf 'u' > "$files/한.txt"
entry_command "$thunar"
launch "$scratch" "${cmd[@]}" "$files/한.txt" "$files/写真.txt" "$files/café.txt"
check "true names: main window up" 'drv wait TForm1 60000'
check "true names: shown with ? for what the code page cannot hold" \
  '[ "$(drv lines TForm1/TMemo | tr -d "\r" | tr "\n" " ")" = "?.txt 写真.txt caf?.txt " ]'
drv settext TForm1/TEdit "Z:${dest//\//\\}" >/dev/null
drv click "TForm1/TCuteButton#0" >/dev/null
closed "true names: moved"
check "한.txt, 写真.txt and café.txt arrived under their true names" \
  '[ "$(cd "$dest" && cat 한.txt 写真.txt café.txt)" = ujc ] && [ ! -e "$files/한.txt" ] && [ ! -e "$files/写真.txt" ] && [ ! -e "$files/café.txt" ]'

# Names a Windows path cannot carry, beside the files a Windows reading of
# them could name (x\y.txt, and b.txt in the folder a): only the good file
# reaches the program, and a move leaves the others alone.
mkdir -p "$files/x" "$files/a"
printf 'q' > "$files/x\"y.txt"; printf 'n' > "$files/x/y.txt"
printf 'b' > "$files/a\\b.txt"; printf 'm' > "$files/a/b.txt"
printf 'g' > "$files/good.txt"
rm -f "$dest"/*
launch "$files" "$bin/orlosend" "x\"y.txt" "$files/a\\b.txt" "good.txt"
check "refused names: main window up" 'drv wait TForm1 60000'
check "refused names: only the good file listed" '[ "$(drv lines TForm1/TMemo | tr -d "\r")" = good.txt ]'
drv settext TForm1/TEdit "Z:${dest//\//\\}" >/dev/null
drv click "TForm1/TCuteButton#0" >/dev/null
closed "refused names: moved"
check "refused names: one line on standard error for each, naming it" \
  '[ "$(grep -c "^orlosend: not sent: " "$scratch/err")" = 2 ] && grep -qF "not sent: $files/x\"y.txt: " "$scratch/err" && grep -qF "not sent: $files/a\\b.txt: " "$scratch/err"'
cat "$scratch/err"
check "refused names: the good file moved, the refused ones and the neighbours untouched" \
  '[ "$(ls "$dest")" = good.txt ] && [ "$(cd "$files" && cat "x\"y.txt" x/y.txt "a\\b.txt" a/b.txt)" = qnbm ]'
check "refused names: one notification naming both" \
  '[ "$(grep -c "^notify-send:" "$notes")" = 1 ] && grep -qF "x\"y.txt" "$notes" && grep -qF "a\\b.txt" "$notes"'
# Nothing left to send: no window, status 1.
printf 'c' > "$files/a:b.txt"
timeout 60 "$bin/orlosend" "$files/x\"y.txt" "$files/a:b.txt" 2>"$scratch/err"
rc=$?
check "only refused names: status 1, nothing started" '[ $rc -eq 1 ] && drv gone TForm1 0'
check "only refused names: both named, and one more notification" \
  '[ "$(grep -c "^orlosend: not sent: " "$scratch/err")" = 2 ] && for _ in $(seq 50); do [ "$(grep -c "^notify-send:" "$notes")" = 2 ] && break; sleep 0.1; done && grep -qF "a:b.txt" "$notes"'

# When neither the program's locale nor the system's loads any more, nothing
# starts rather than a program that mangles names.
PATH="$stubs/no-system:$PATH" timeout 60 "$bin/orlosend" "$files/a b.txt" 2>"$scratch/err"
rc=$?
check "no loading locale at start: status 1 and the reason on standard error" \
  '[ $rc -eq 1 ] && grep -q "ja_JP.UTF-8" "$scratch/err" && drv gone TForm1 0'

# The start menu starts it with no files, for dropping them onto the window.
entry_command "$menu_entry"
start_case "start-menu entry" "$scratch" "" "${cmd[@]}"

check "settings beside the program" '[ -f "$data/orlosend/orlosend.ini" ]'
printf 'C:\\\r\n' > "$data/orlosend/dirlist.txt"
WINEPREFIX="$prefix" /usr/lib/wine/wineserver64 -k 2>/dev/null || true

install --uninstall >/dev/null
left="$(cd "$HOME" && find . \( -type f -o -type l \) | sort | tr '\n' ' ')"
check "uninstall removed everything but the settings and favourites" \
  '[ "$left" = "./.local/share/orlosend/dirlist.txt ./.local/share/orlosend/orlosend.ini " ]'
[ "$left" = "./.local/share/orlosend/dirlist.txt ./.local/share/orlosend/orlosend.ini " ] || echo "left: $left"

# A home the code page cannot name: the program's own folder holds "é". The
# other home, "my home", is what a best-fit "é" would name instead.
use_home "my homé"
install >/dev/null || { echo "FAILED: install in a home with é"; exit 1; }
touch "$scratch/before"
launch "$scratch" "$bin/orlosend"
check "home with é: main window up" 'drv wait TForm1 60000'
drv close TForm1 >/dev/null
closed "home with é"
check "home with é: settings beside the program" '[ -f "$data/orlosend/orlosend.ini" ]'
touched="$(find "$scratch/my home" -newer "$scratch/before")"
check "home with é: nothing written into the home without é" '[ -z "$touched" ]'
[ -z "$touched" ] || echo "written there: $touched"

[ $fails -eq 0 ] && echo "launcher test passed" || echo "launcher test: $fails failed"
exit $fails

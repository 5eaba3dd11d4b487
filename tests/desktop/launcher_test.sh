#!/usr/bin/env bash
# The Linux desktop set-up, as a file manager and a start menu would use it:
# installed into a scratch home (with a blank in its path), every entry must
# pass desktop-file-validate without a remark, and the program started through
# the entries' own command lines must list exactly the files given, read
# through the end-to-end driver. Then the uninstall takes everything away and
# keeps the settings and favourites.
#
#   launcher_test.sh ORLOSEND_EXE ORLODRIVE_EXE WINE_RUN
set -uo pipefail
exe="$1" drive="$2" runner="$3"
src="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
fails=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fails=$((fails + 1)); fi; }

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
export HOME="$scratch/my home" XDG_DATA_HOME="$scratch/my home/.local/share"
mkdir -p "$HOME"
export DISPLAY="$("$runner" --display)"
data="$XDG_DATA_HOME"
bin="$HOME/bin"
version="$(head -n 1 "$src/VERSION" | tr -d ' \r\n')"

bash "$src/tools/install-desktop.sh" --exe "$exe" --bin "$bin" >/dev/null || { echo "FAILED: install"; exit 1; }
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

prefix="$data/orlosend/prefix-$("$runner" --arch "$exe")"
if [ "${prefix##*-}" = x86_64 ]; then loader=/usr/lib/wine/wine64; else loader=/usr/lib/wine/wine; fi
drv() { WINEPREFIX="$prefix" WINELOADER="$loader" WINEDEBUG=-all LC_ALL=ja_JP.UTF-8 "$loader" "$drive" "$@"; }

# One start of the program: runs the command in a folder and checks that the
# window lists exactly the expected names (one a line; none for an empty list).
#   start_case LABEL FOLDER EXPECTED COMMAND [ARG...]
start_case() {
  local label="$1" dir="$2" want="$3"; shift 3
  (cd "$dir" && "$@" >/dev/null 2>&1 &)
  # The first start makes the launcher's own prefix.
  for _ in $(seq 600); do [ -f "$prefix/.orlosend-ready" ] && break; sleep 0.1; done
  check "$label: main window up" 'drv wait TForm1 60000'
  local shown
  shown="$(drv lines TForm1/TMemo | tr -d '\r')"
  check "$label: the file list shows exactly the names given" '[ "$shown" = "$want" ]'
  [ "$shown" = "$want" ] || { echo "shown:"; echo "$shown"; echo "wanted:"; echo "$want"; }
  drv close TForm1 >/dev/null
  check "$label: program closed" 'drv gone TForm1 20000'
}

# Awkward names: blanks, Japanese, ";", a leading dash, quotes, an option's
# name, a relative name.
files="$scratch/files"
mkdir -p "$files"
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
dest="$scratch/dest"
mkdir -p "$dest"
for n in "한.txt" "café.txt"; do printf 'u' > "$files/$n"; done
entry_command "$thunar"
(cd "$scratch" && "${cmd[@]}" "$files/한.txt" "$files/café.txt" >/dev/null 2>&1 &)
check "true names: main window up" 'drv wait TForm1 60000'
check "true names: shown with ? for what the code page cannot hold" \
  '[ "$(drv lines TForm1/TMemo | tr -d "\r" | tr "\n" " ")" = "?.txt caf?.txt " ]'
drv settext TForm1/TEdit "Z:${dest//\//\\}" >/dev/null
drv click "TForm1/TCuteButton#0" >/dev/null
check "true names: program closed after the move" 'drv gone TForm1 20000'
check "한.txt and café.txt arrived under their true names" \
  '[ -f "$dest/한.txt" ] && [ -f "$dest/café.txt" ] && [ ! -e "$files/한.txt" ] && [ ! -e "$files/café.txt" ]'

# The start menu starts it with no files, for dropping them onto the window.
entry_command "$menu_entry"
start_case "start-menu entry" "$scratch" "" "${cmd[@]}"

check "settings beside the program" '[ -f "$data/orlosend/orlosend.ini" ]'
printf 'C:\\\r\n' > "$data/orlosend/dirlist.txt"
WINEPREFIX="$prefix" /usr/lib/wine/wineserver64 -k 2>/dev/null || true

bash "$src/tools/install-desktop.sh" --uninstall --bin "$bin" >/dev/null
left="$(cd "$HOME" && find . \( -type f -o -type l \) | sort | tr '\n' ' ')"
check "uninstall removed everything but the settings and favourites" \
  '[ "$left" = "./.local/share/orlosend/dirlist.txt ./.local/share/orlosend/orlosend.ini " ]'
[ "$left" = "./.local/share/orlosend/dirlist.txt ./.local/share/orlosend/orlosend.ini " ] || echo "left: $left"

[ $fails -eq 0 ] && echo "launcher test passed" || echo "launcher test: $fails failed"
exit $fails

#!/usr/bin/env bash
# The Linux desktop set-up, as a file manager would use it: installed into a
# scratch home, the launcher is started with awkward file names, and the
# program's file list (read through the end-to-end driver) must show exactly
# those names. Then the uninstall takes everything away again.
#
#   launcher_test.sh ORLOSEND_EXE ORLODRIVE_EXE WINE_RUN
set -uo pipefail
exe="$1" drive="$2" runner="$3"
src="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
fails=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fails=$((fails + 1)); fi; }

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
export HOME="$scratch/home" XDG_DATA_HOME="$scratch/home/.local/share"
mkdir -p "$HOME"
export DISPLAY="$("$runner" --display)"

bash "$src/tools/install-desktop.sh" --exe "$exe" --bin "$HOME/bin" || { echo "FAILED: install"; exit 1; }
data="$XDG_DATA_HOME"
check "launcher installed" '[ -x "$HOME/bin/orlosend" ]'
check "Thunar entry valid" 'desktop-file-validate "$data/Thunar/sendto/orlosend.desktop"'
check "Dolphin entry valid" 'desktop-file-validate "$data/kio/servicemenus/orlosend.desktop"'
check "Nautilus script" '[ -x "$data/nautilus/scripts/ORLO SENDTO" ]'

# Awkward names: blanks, Japanese, ";", a leading dash, quotes, a relative name.
files="$scratch/files"
mkdir -p "$files"
names=("a b.txt" "写真;夏.txt" "-dash.txt" "it's here.txt" "表示.txt")
for n in "${names[@]}"; do printf 'x' > "$files/$n"; done
(cd "$files" && "$HOME/bin/orlosend" "$files/a b.txt" "写真;夏.txt" "$files/-dash.txt" \
   "$files/it's here.txt" "./表示.txt" >/dev/null 2>&1 &)

# The driver runs in the launcher's own prefix, where the program's windows are.
prefix="$(ls -d "$data"/orlosend/prefix-* 2>/dev/null | head -n 1)"
for _ in $(seq 300); do prefix="$(ls -d "$data"/orlosend/prefix-* 2>/dev/null | head -n 1)"; [ -n "$prefix" ] && break; sleep 0.1; done
arch="${prefix##*prefix-}"
if [ "$arch" = x86_64 ]; then loader=/usr/lib/wine/wine64; else loader=/usr/lib/wine/wine; fi
drv() { WINEPREFIX="$prefix" WINELOADER="$loader" WINEDEBUG=-all LC_ALL=ja_JP.UTF-8 "$loader" "$drive" "$@"; }
check "main window up" 'drv wait TForm1 60000'
shown="$(drv lines TForm1/TMemo | tr -d '\r')"
want="$(printf '%s\n' "${names[@]}")"
check "the file list shows exactly the names given" '[ "$shown" = "$want" ]'
[ "$shown" = "$want" ] || { echo "shown:"; echo "$shown"; echo "wanted:"; echo "$want"; }
drv close TForm1
check "program closed" 'drv gone TForm1 20000'
check "settings beside the program" '[ -f "$data/orlosend/orlosend.ini" ]'
WINEPREFIX="$prefix" /usr/lib/wine/wineserver64 -k 2>/dev/null || true

bash "$src/tools/install-desktop.sh" --uninstall --bin "$HOME/bin" >/dev/null
check "uninstall removed the launcher and entries" \
  '[ ! -e "$HOME/bin/orlosend" ] && [ ! -e "$data/Thunar/sendto/orlosend.desktop" ] && [ ! -e "$data/kio/servicemenus/orlosend.desktop" ] && [ ! -e "$data/nautilus/scripts/ORLO SENDTO" ]'
check "uninstall kept the settings" '[ -f "$data/orlosend/orlosend.ini" ]'

[ $fails -eq 0 ] && echo "launcher test passed" || echo "launcher test: $fails failed"
exit $fails

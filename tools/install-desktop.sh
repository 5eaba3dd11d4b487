#!/usr/bin/env bash
# Puts orlosend into a Linux desktop: the program and its own Wine prefix in
# ${XDG_DATA_HOME:-~/.local/share}/orlosend/, a launcher "orlosend" on the
# PATH (~/.local/bin), and an "ORLO SENDTO" entry in the file managers'
# send-to menus: Thunar (Send To), Nautilus (Scripts) and Dolphin (service
# menu). The settings and favourites files live beside the program there.
#
#   tools/install-desktop.sh [--exe PATH] [--bin DIR]
#   tools/install-desktop.sh --uninstall [--bin DIR]
#
# --exe takes a built orlosend.exe (by default the build of the architecture
# this host runs, made when missing); --bin the launcher's folder. Uninstalling
# removes what was installed and keeps the settings and favourites files.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

uninstall=0
exe=""
bin="$HOME/.local/bin"
while [ $# -gt 0 ]; do
  case "$1" in
    --uninstall) uninstall=1; shift ;;
    --exe) exe="$2"; shift 2 ;;
    --bin) bin="$2"; shift 2 ;;
    *) echo "usage: tools/install-desktop.sh [--uninstall] [--exe PATH] [--bin DIR]" >&2; exit 2 ;;
  esac
done

data="${XDG_DATA_HOME:-$HOME/.local/share}"
share="$data/orlosend"
launcher="$bin/orlosend"
thunar="$data/Thunar/sendto/orlosend.desktop"
nautilus="$data/nautilus/scripts/ORLO SENDTO"
dolphin="$data/kio/servicemenus/orlosend.desktop"
icon="$data/icons/hicolor/32x32/apps/orlosend.png"

if [ $uninstall -eq 1 ]; then
  rm -f "$launcher" "$thunar" "$nautilus" "$dolphin" "$icon" "$share/orlosend.exe" "$share/fonts.reg"
  rm -rf "$share"/prefix-*
  echo "orlosend: removed the launcher and the send-to entries; the settings and favourites stay in $share"
  exit 0
fi

cd "$here"
source tools/arch.sh
if [ -z "$exe" ]; then
  arch="$(orlo_run_arch)"
  exe="$here/build/$arch/app/orlosend.exe"
  if [ ! -f "$exe" ]; then
    bash tools/setup-debian.sh
    orlo_build "$here/build" "$arch"
  fi
fi
[ -f "$exe" ] || { echo "install-desktop: no program at $exe" >&2; exit 2; }
# The loader follows the program's own architecture.
arch="$(bash tools/wine-run.sh --build "$here/build" --arch "$exe")" || {
  echo "install-desktop: $exe is not an i686 or x86_64 Windows program" >&2; exit 2; }

mkdir -p "$share" "$bin" "$(dirname "$thunar")" "$(dirname "$nautilus")" "$(dirname "$dolphin")" \
  "$(dirname "$icon")"
cp -f "$exe" "$share/orlosend.exe"
cp -f tools/wine-fonts.reg "$share/fonts.reg"

cat > "$launcher" <<EOF
#!/usr/bin/env bash
# orlosend: sends the given files to a folder with orlosend.exe under Wine.
# Made by tools/install-desktop.sh; the program, its settings and favourites
# and its Wine prefix are in $share.
set -u
share='$share'
export LC_ALL=ja_JP.UTF-8 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEPREFIX="\$share/prefix-$arch"
EOF
if [ "$arch" = x86_64 ]; then
  echo 'export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64' >> "$launcher"
else
  echo 'export WINEARCH=win32 WINELOADER=/usr/lib/wine/wine' >> "$launcher"
fi
cat >> "$launcher" <<'EOF'
if [ ! -f "$WINEPREFIX/.orlosend-ready" ]; then
  "$WINELOADER" wineboot.exe -i </dev/null >/dev/null 2>&1
  "$WINELOADER" regedit.exe /S "$share/fonts.reg" </dev/null >/dev/null 2>&1
  touch "$WINEPREFIX/.orlosend-ready"
fi
# Each file as Windows sees it, made absolute first (file managers may pass
# names relative to the folder they show).
args=()
for f in "$@"; do
  abs="$(realpath -s -- "$f")"
  args+=("$("$WINELOADER" winepath.exe -w "$abs" 2>/dev/null </dev/null | tr -d '\r')")
done
cd "$share"
exec "$WINELOADER" "$share/orlosend.exe" "${args[@]}"
EOF
chmod 755 "$launcher"

cat > "$thunar" <<EOF
[Desktop Entry]
Type=Application
Version=1.0
Name=ORLO SENDTO
Comment=Move or copy the selected files to a folder
Exec=$launcher %F
Icon=orlosend
Terminal=false
EOF

cat > "$nautilus" <<EOF
#!/bin/sh
# Nautilus passes the selected files as arguments, relative to the folder shown.
exec '$launcher' "\$@"
EOF
chmod 755 "$nautilus"

cat > "$dolphin" <<EOF
[Desktop Entry]
Type=Application
Name=ORLO SENDTO
Exec=$launcher %F
Icon=orlosend
NoDisplay=true
MimeType=application/octet-stream;inode/directory;
X-KDE-ServiceTypes=KonqPopupMenu/Plugin
Actions=orlosend;

[Desktop Action orlosend]
Name=ORLO SENDTO
Exec=$launcher %F
Icon=orlosend
EOF
chmod 755 "$dolphin"

if command -v convert >/dev/null 2>&1 && [ -f "$(dirname "$exe")/orlosend.ico" ]; then
  convert "$(dirname "$exe")/orlosend.ico" "$icon" 2>/dev/null || true
fi

if command -v desktop-file-validate >/dev/null 2>&1; then
  desktop-file-validate "$thunar"
  desktop-file-validate "$dolphin"
fi
echo "orlosend: installed the $arch program in $share and the launcher $launcher"
echo "orlosend: send-to entries for Thunar, Nautilus and Dolphin are in place"
case ":$PATH:" in *":$bin:"*) ;; *) echo "orlosend: note: $bin is not on your PATH" ;; esac

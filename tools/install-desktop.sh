#!/usr/bin/env bash
# Puts orlosend into a Linux desktop: the program and its own Wine prefix in
# ${XDG_DATA_HOME:-~/.local/share}/orlosend/, a launcher "orlosend" on the
# PATH (~/.local/bin), an "ORLO SENDTO" entry in the file managers' send-to
# menus: Thunar (Send To), Nautilus (Scripts) and Dolphin (a service menu for
# every file and folder, where both older and newer Dolphin read it), and a
# start-menu entry that opens the window with no files, for dropping files
# onto it. The settings and favourites files live beside the program.
#
# The program runs in the Japanese UTF-8 locale: Wine takes code page 932 from
# the locale's name and the file names' encoding from its character set. Where
# that locale does not load, Wine reads names in another encoding ("café.txt"
# becomes "cafC).txt", "写真.txt" is not found), so the locale is compiled into
# the program's folder (locale/, read through LOCPATH) from glibc's sources;
# without the sources the system's own is used if it loads, and with neither
# nothing is installed and the command that adds the locale is named.
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
# Dolphin of KDE Frameworks 6 (and of 5 from 5.85) reads kio/servicemenus and
# takes a menu from the user's own folders only when the file is executable;
# older Dolphin reads kservices5/ServiceMenus.
dolphin="$data/kio/servicemenus/orlosend.desktop"
dolphin_old="$data/kservices5/ServiceMenus/orlosend.desktop"
menu_entry="$data/applications/orlosend.desktop"
icon="$data/icons/hicolor/32x32/apps/orlosend.png"

if [ $uninstall -eq 1 ]; then
  rm -f "$launcher" "$thunar" "$nautilus" "$dolphin" "$dolphin_old" "$menu_entry" "$icon" \
    "$share/orlosend.exe" "$share/fonts.reg"
  rm -rf "$share"/prefix-* "$share/locale"
  echo "orlosend: removed the launcher and the desktop entries; the settings and favourites stay in $share"
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
arch="$(bash tools/wine-run.sh --build "$here/build" --arch "$exe" 2>/dev/null)" || {
  echo "install-desktop: $exe is not an i686 or x86_64 Windows program" >&2; exit 2; }
version="$(head -n 1 "$here/VERSION" | tr -d ' \r\n')"

# A word in single quotes for sh.
sh_quote() { local q="'\\''"; printf "'%s'" "${1//\'/$q}"; }

# The locale, decided before anything is put in place. It counts as loading
# only when glibc reports its UTF-8 character set without a complaint.
locale_loads() { [ "$(env "$@" LC_ALL=ja_JP.UTF-8 locale charmap 2>&1)" = UTF-8 ]; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
own_locale=0
compiled=""
case "$share" in
  # LOCPATH is a list separated by ":": it cannot name such a folder.
  *:*) compiled="the folder $share holds \":\", which LOCPATH cannot name" ;;
  *)
    mkdir -p "$work/locale"
    compiled="$(localedef -i ja_JP -f UTF-8 "$work/locale/ja_JP.UTF-8" 2>&1)" || true
    if locale_loads LOCPATH="$work/locale"; then own_locale=1; fi ;;
esac
if [ $own_locale -eq 0 ] && ! locale_loads -u LOCPATH; then
  os="$(. /etc/os-release 2>/dev/null && echo " ${ID:-} ${ID_LIKE:-} ")" || os=""
  case "$os" in
    *" ubuntu "*) fix="sudo apt-get install locales && sudo locale-gen ja_JP.UTF-8" ;;
    # Debian's locale-gen takes no names: it makes those of /etc/locale.gen.
    *" debian "*) fix="sudo apt-get install locales && echo 'ja_JP.UTF-8 UTF-8' | sudo tee -a /etc/locale.gen && sudo locale-gen" ;;
    *" fedora "*|*" rhel "*|*" centos "*) fix="sudo dnf install glibc-langpack-ja" ;;
    *) fix="" ;;
  esac
  {
    echo "install-desktop: the Japanese UTF-8 locale (ja_JP.UTF-8) does not load and cannot be compiled here:"
    [ -z "$compiled" ] || printf '  localedef: %s\n' "$(tail -n 1 <<<"$compiled")"
    echo "  without it Wine would read file names in another encoding and send the wrong files."
    if [ -n "$fix" ]; then echo "  Add it with:  $fix"
    else echo "  Add it with your system's tools (glibc's ja_JP locale with the UTF-8 character set)."; fi
    echo "  then run tools/install-desktop.sh again. Nothing was installed."
  } >&2
  exit 3
fi

mkdir -p "$share" "$bin"
rm -rf "$share/locale"
if [ $own_locale -eq 1 ]; then
  chmod 755 "$work/locale"
  mv "$work/locale" "$share/locale"
fi
for f in "$thunar" "$nautilus" "$dolphin" "$dolphin_old" "$menu_entry" "$icon"; do
  mkdir -p "$(dirname "$f")"
done
cp -f "$exe" "$share/orlosend.exe"
cp -f tools/wine-fonts.reg "$share/fonts.reg"

cat > "$launcher" <<EOF
#!/usr/bin/env bash
# orlosend: sends the given files to a folder with orlosend.exe under Wine.
# Made by tools/install-desktop.sh; the program, its settings and favourites,
# its locale and its Wine prefix are in $share.
set -u
share=$(sh_quote "$share")
version=$(sh_quote "$version")
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEPREFIX="\$share/prefix-$arch"
EOF
if [ "$arch" = x86_64 ]; then
  echo 'export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64' >> "$launcher"
else
  echo 'export WINEARCH=win32 WINELOADER=/usr/lib/wine/wine' >> "$launcher"
fi
cat >> "$launcher" <<'EOF'
usage() {
  cat <<USAGE
usage: orlosend [FILE...]
       orlosend -- FILE...      every argument after -- is a file
       orlosend --help | --version

Opens the ORLO SENDTO window with the given files (with none, an empty list
to drop files onto) to move or copy them to a folder. The program, its
settings (orlosend.ini) and favourites (dirlist.txt) are in
$share
A file is not sent when its path holds a character that a Windows path
cannot (\ : * ? " < > | or a control character) or is not valid UTF-8.
USAGE
}
# Options only in first place: a file named like one goes after "--".
case "${1:-}" in
  --help|-h) usage; exit 0 ;;
  --version) echo "orlosend $version"; exit 0 ;;
  --) shift ;;
esac

# Tells the user, on standard error and, for a start from a file manager, in
# one desktop notification.
#   tell SUMMARY LINE...
tell() {
  local summary="$1" body="" line; shift
  for line in "$@"; do printf 'orlosend: %s\n' "$line" >&2; done
  command -v notify-send >/dev/null 2>&1 || return 0
  # A notification has room for a few lines.
  for line in "${@:1:8}"; do body+="$line"$'\n'; done
  [ $# -le 8 ] || body+="and $(($# - 8)) more"$'\n'
  # Notification servers read the body as markup ("&" quoted: bash would put
  # the match there).
  body="${body//&/"&amp;"}"; body="${body//</"&lt;"}"; body="${body//>/"&gt;"}"
  # notify-send reads its arguments in the locale's encoding: UTF-8 once the
  # program's locale is known to load (the messages before are ASCII).
  (env "${locale_env[@]}" notify-send --app-name="ORLO SENDTO" --icon=orlosend "$summary" \
     "${body%$'\n'}" </dev/null >/dev/null 2>&1 &)
}

# The program needs the Japanese UTF-8 locale; one that does not load makes
# Wine read names in another encoding and name other files. The copy compiled
# beside the program comes first, then the system's; the session's LOCPATH
# never counts.
locale_loads() { [ "$(env "$@" LC_ALL=ja_JP.UTF-8 locale charmap 2>&1)" = UTF-8 ]; }
locale_env=()
if [ -d "$share/locale/ja_JP.UTF-8" ] && locale_loads LOCPATH="$share/locale"; then
  locale_env=(LOCPATH="$share/locale" LC_ALL=ja_JP.UTF-8)
elif locale_loads -u LOCPATH; then
  locale_env=(-u LOCPATH LC_ALL=ja_JP.UTF-8)
else
  tell "ORLO SENDTO did not start" \
    "the Japanese UTF-8 locale (ja_JP.UTF-8) does not load: without it file names would be mangled." \
    "Run tools/install-desktop.sh again, or add the locale to the system."
  exit 1
fi
run_wine() { env "${locale_env[@]}" "$WINELOADER" "$@"; }

if [ ! -f "$WINEPREFIX/.orlosend-ready" ]; then
  run_wine wineboot.exe -i </dev/null >/dev/null 2>&1
  run_wine regedit.exe /S "$share/fonts.reg" </dev/null >/dev/null 2>&1
  touch "$WINEPREFIX/.orlosend-ready"
fi

# Sets why to the reason a path cannot go to the program, or to nothing. The
# whole path counts, not only the name: the program gets one Windows path, in
# which a folder "a\b" is two folders and names another file, "a:b" a stream
# and a quote ends the argument. Byte-wise, whatever the session's locale.
check_path() {
  local LC_ALL=C c
  why=""
  case "$1" in *[[:cntrl:]]*) why="it holds a control character"; return ;; esac
  for c in '\' ':' '*' '?' '"' '<' '>' '|'; do
    case "$1" in *"$c"*) why="it holds the character $c, which a Windows path cannot hold"; return ;; esac
  done
}
# A path shown in a message: as it is, or with its bytes written out where it
# holds control characters or is not UTF-8.
shown() {
  local LC_ALL=C
  case "$1" in
    *[[:cntrl:]]*) printf '%q' "$1" ;;
    *) if iconv -f UTF-8 -t UTF-8 <<<"$1" >/dev/null 2>&1; then printf '%s' "$1"; else printf '%q' "$1"; fi ;;
  esac
}

# Each file made absolute (file managers may pass names relative to the
# folder they show), without following links: Wine names the path as given.
given=$#
paths=()
refused=()
for f in "$@"; do
  # The "x" keeps a trailing line feed that command substitution would drop.
  abs="$(realpath -s -- "$f"; echo x)"
  abs="${abs%$'\n'x}"
  check_path "$abs"
  if [ -n "$why" ]; then refused+=("$(shown "$abs"): $why"); else paths+=("$abs"); fi
done
# One winepath for all: a Windows path a line (no name holds a line feed now).
args=()
if [ ${#paths[@]} -gt 0 ]; then
  mapfile -t windows < <(run_wine winepath.exe -w "${paths[@]}" 2>/dev/null </dev/null | tr -d '\r')
  # A line short, and every line could belong to another file.
  [ ${#windows[@]} -eq ${#paths[@]} ] || windows=()
  bad=$'\xef\xbf\xbd'
  for i in "${!paths[@]}"; do
    w="${windows[$i]-}"
    if [ -z "$w" ]; then
      refused+=("$(shown "${paths[$i]}"): Wine gave no Windows path for it")
    # Bytes that are not UTF-8 come out as U+FFFD: another file could have the same name.
    elif [[ "$w" == *"$bad"* && "${paths[$i]}" != *"$bad"* ]]; then
      refused+=("$(shown "${paths[$i]}"): its path is not valid UTF-8")
    else
      args+=("$w")
    fi
  done
fi
if [ ${#refused[@]} -gt 0 ]; then
  if [ ${#args[@]} -gt 0 ]; then summary="ORLO SENDTO: ${#refused[@]} of $given files not sent"
  else summary="ORLO SENDTO: nothing sent"; fi
  lines=()
  for r in "${refused[@]}"; do lines+=("not sent: $r"); done
  tell "$summary" "${lines[@]}"
  [ ${#args[@]} -gt 0 ] || exit 1
fi
cd "$share"
exec env "${locale_env[@]}" "$WINELOADER" "$share/orlosend.exe" "${args[@]}"
EOF
chmod 755 "$launcher"

# One argument of an Exec line: in double quotes, with the characters that
# stay special inside them escaped, then every backslash doubled once more
# for the file's own string escaping; "%" is doubled for the field codes.
exec_arg() {
  local a="$1" bs='\'
  a="${a//"$bs"/"$bs$bs"}"
  a="${a//\"/"$bs"\"}"
  a="${a//\`/"$bs"\`}"
  a="${a//\$/"$bs"\$}"
  a="${a//"$bs"/"$bs$bs"}"
  a="${a//%/%%}"
  printf '"%s"' "$a"
}
# "--" keeps a selected file whose name looks like an option a file.
run="$(exec_arg "$launcher") -- %F"

cat > "$thunar" <<EOF
[Desktop Entry]
Type=Application
Version=1.0
Name=ORLO SENDTO
Comment=Move or copy the selected files to a folder
Exec=$run
Icon=orlosend
Terminal=false
EOF

cat > "$nautilus" <<EOF
#!/bin/sh
# Nautilus passes the selected files as arguments, relative to the folder shown.
exec $(sh_quote "$launcher") -- "\$@"
EOF
chmod 755 "$nautilus"

# Dolphin takes application/octet-stream for every file and inode/directory
# for folders. Older KDE also reads the service types, where all/allfiles is
# the every-file type; it stays out of MimeType, which takes registered types
# only.
cat > "$dolphin" <<EOF
[Desktop Entry]
Type=Application
Name=ORLO SENDTO
Exec=$run
Icon=orlosend
NoDisplay=true
MimeType=application/octet-stream;inode/directory;
X-KDE-ServiceTypes=KonqPopupMenu/Plugin,all/allfiles,inode/directory
Actions=orlosend;

[Desktop Action orlosend]
Name=ORLO SENDTO
Exec=$run
Icon=orlosend
EOF
chmod 755 "$dolphin"
cp -f "$dolphin" "$dolphin_old"

cat > "$menu_entry" <<EOF
[Desktop Entry]
Type=Application
Version=1.0
Name=ORLO SENDTO
GenericName=File sender
Comment=Move or copy files to a folder; drop them onto the window
Comment[ja]=ファイルをフォルダへ移動・コピーします (ウィンドウへドロップ)
Exec=$run
Icon=orlosend
Terminal=false
Categories=Utility;FileTools;
EOF

# The icon: the one the build drew for the program, as PNG.
ico="$(dirname "$exe")/orlosend.ico"
[ -f "$ico" ] || ico="$(ls "$here"/build/*/app/orlosend.ico 2>/dev/null | head -n 1 || true)"
if [ -z "$ico" ] || ! convert "$ico[0]" "png:$icon" 2>/dev/null; then
  echo "orlosend: note: no icon for the menus (build the program once; ImageMagick makes the PNG)" >&2
fi

if command -v desktop-file-validate >/dev/null 2>&1; then
  for f in "$thunar" "$dolphin" "$dolphin_old" "$menu_entry"; do desktop-file-validate "$f"; done
fi
# Older KDE finds new service menus through its cache.
if command -v kbuildsycoca5 >/dev/null 2>&1; then kbuildsycoca5 >/dev/null 2>&1 || true; fi
echo "orlosend: installed the $arch program in $share and the launcher $launcher"
echo "orlosend: the send-to entries for Thunar, Nautilus and Dolphin and the start-menu entry are in place"
case ":$PATH:" in *":$bin:"*) ;; *) echo "orlosend: note: $bin is not on your PATH" ;; esac

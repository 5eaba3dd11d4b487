#!/usr/bin/env bash
# Runs a Windows program under Wine for ctest (CMAKE_CROSSCOMPILING_EMULATOR)
# and for people: tools/wine-run.sh [--build DIR] program.exe [args...]
#
# - the architecture is read from the program's PE header: an i686 program
#   runs under the 32-bit loader in a win32 prefix, an x86_64 one under the
#   64-bit loader in a win64 prefix. Debian's wine, wineboot and regedit
#   wrappers prefer the 32-bit loader whenever it is installed, even on hosts
#   that cannot run it, so the loader is always called directly;
# - the prefixes live in the state folder (ORLO_WINE_STATE), one per
#   architecture: <state>/<arch>/prefix;
# - ACP 932 through LC_ALL=ja_JP.UTF-8;
# - a private Xvfb when $DISPLAY is not served, shared by both architectures;
# - one persistent wineserver per prefix, started with every descriptor on
#   /dev/null so that ctest's pipes are never held open by Wine's background
#   processes;
# - the program's output is buffered in files and printed after it exits, as
#   explorer.exe may keep the pipe for a while after a GUI program ends.
#
# Special commands: "--up" prepares everything and returns; "--down" stops the
# wineservers and the Xvfb this runner started. Both act on ORLO_WINE_ARCH
# (default: every architecture whose prefix exists for --down; for the others
# the product's architecture where this host runs 32-bit programs, else x86_64).
# "--arch program.exe" prints the program's architecture; "--prefix" and
# "--display" prepare everything like "--up" and print the prefix and the X
# display that programs of ORLO_WINE_ARCH use; "--winepath PATH" prints the
# Windows path of a Linux path there.
set -u

state="${ORLO_WINE_STATE:-}"
if [ "${1:-}" = "--build" ]; then state="$2/wine-state"; shift 2; fi
if [ -z "$state" ]; then
  echo "wine-run: set ORLO_WINE_STATE or pass --build DIR" >&2
  exit 2
fi
mkdir -p "$state"
state="$(cd "$state" && pwd)"
script_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

export WINEDEBUG=-all
export LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# The PE machine field: 0x014c i386, 0x8664 x86-64.
pe_arch() {
  local off machine
  off=$(od -An -t u4 -j 60 -N 4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$off" ] || return 1
  machine=$(od -An -t x2 -j $((off + 4)) -N 2 "$1" 2>/dev/null | tr -d ' ')
  case "$machine" in
    014c) echo i686 ;;
    8664) echo x86_64 ;;
    *) return 1 ;;
  esac
}

use_arch() {
  arch="$1"
  export WINEPREFIX="$state/$arch/prefix"
  if [ "$arch" = x86_64 ]; then
    export WINEARCH=win64
    loader=/usr/lib/wine/wine64
    export WINESERVER=/usr/lib/wine/wineserver64
  else
    export WINEARCH=win32
    loader=/usr/lib/wine/wine
    if [ -x /usr/lib/wine/wineserver64 ]; then export WINESERVER=/usr/lib/wine/wineserver64
    else export WINESERVER=/usr/lib/wine/wineserver32; fi
  fi
  export WINELOADER="$loader"
  mkdir -p "$state/$arch"
}

# The architecture of --up, --prefix and --display when ORLO_WINE_ARCH is not
# set: the product's where this host runs 32-bit programs, else x86_64.
default_arch() {
  if [ -n "${ORLO_WINE_ARCH:-}" ]; then echo "$ORLO_WINE_ARCH"
  elif /usr/lib/wine/wine --version >/dev/null 2>&1; then echo i686
  else echo x86_64; fi
}

display_served() { [ -n "${1:-}" ] && DISPLAY="$1" xdpyinfo >/dev/null 2>&1; }

ensure_display() {
  if [ -n "${DISPLAY:-}" ] && [ ! -f "$state/xvfb.display" ] && display_served "$DISPLAY"; then
    return 0
  fi
  if [ -f "$state/xvfb.display" ]; then
    local d; d="$(cat "$state/xvfb.display")"
    if display_served "$d"; then export DISPLAY="$d"; return 0; fi
  fi
  # ORLO_XVFB_FIRST keeps runs from several checkouts on displays of their own.
  local n="${ORLO_XVFB_FIRST:-90}"
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 9>&- &
  echo $! > "$state/xvfb.pid"
  for _ in $(seq 1 100); do
    display_served ":$n" && break
    sleep 0.05
  done
  echo ":$n" > "$state/xvfb.display"
  export DISPLAY=":$n"
}

# A prefix made with other registry settings (older font replacements) is
# made again: the marker holds a checksum of the settings it was made with.
settings_sum() { cat "$script_dir/wine-fonts.reg" "$script_dir/wine-prefix.reg" | cksum | cut -d' ' -f1; }

ensure_prefix() {
  local want; want="$(settings_sum)"
  if [ -f "$WINEPREFIX/.orlo-ready" ] && [ "$(cat "$WINEPREFIX/.orlo-ready")" = "$want" ]; then
    return 0
  fi
  "$WINESERVER" -k >/dev/null 2>&1 </dev/null 9>&- || true
  rm -f "$state/$arch/server.started"
  rm -rf "$WINEPREFIX"
  "$loader" wineboot.exe -i </dev/null >/dev/null 2>&1 9>&-
  "$WINESERVER" -w
  # Registry: Japanese fonts with the platform's metrics (as every prefix of
  # ours has), and for the virtual display window-manager-less X11 windows
  # and unsmoothed text, so that pixels can be compared exactly.
  "$loader" regedit.exe /S "$script_dir/wine-fonts.reg" </dev/null >/dev/null 2>&1 9>&-
  "$loader" regedit.exe /S "$script_dir/wine-prefix.reg" </dev/null >/dev/null 2>&1 9>&-
  "$WINESERVER" -w
  # Desktop and Documents as real folders inside the prefix, never $HOME.
  local user_dir
  for user_dir in "$WINEPREFIX/drive_c/users/"*; do
    [ -d "$user_dir" ] || continue
    for sub in Desktop Documents "My Documents"; do
      if [ -L "$user_dir/$sub" ]; then rm -f "$user_dir/$sub"; mkdir -p "$user_dir/$sub"; fi
    done
  done
  echo "$want" > "$WINEPREFIX/.orlo-ready"
}

ensure_fonts() {
  # Wine draws caption buttons with its Marlett font but does not find it in
  # its data folder here: without it they show as "0 1 r".
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  if [ -d "$fonts" ] && [ ! -f "$fonts/marlett.ttf" ] && [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
  fi
}

ensure_server() {
  # A persistent server makes every later start cheap.
  if ! [ -f "$state/$arch/server.started" ] || ! pgrep -f "wineserver.* -p" >/dev/null 2>&1; then
    "$WINESERVER" -p </dev/null >/dev/null 2>&1 9>&- &
    touch "$state/$arch/server.started"
  fi
}

up() {
  if [ ! -x "$loader" ]; then
    echo "wine-run: $loader is missing (run tools/setup-debian.sh)" >&2
    exit 2
  fi
  exec 9>"$state/lock"
  flock 9
  ensure_display
  ensure_prefix
  ensure_fonts
  ensure_server
  flock -u 9
  exec 9>&-
}

down() {
  local a
  for a in "$@"; do
    [ -d "$state/$a/prefix" ] || continue
    use_arch "$a"
    "$WINESERVER" -k >/dev/null 2>&1 </dev/null || true
    rm -f "$state/$a/server.started"
  done
  if [ -f "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    rm -f "$state/xvfb.pid" "$state/xvfb.display"
  fi
}

case "${1:-}" in
  --up) use_arch "$(default_arch)"; up; exit 0 ;;
  --down)
    if [ -n "${ORLO_WINE_ARCH:-}" ]; then down "$ORLO_WINE_ARCH"; else down i686 x86_64; fi
    exit 0 ;;
  --arch) pe_arch "$2"; exit $? ;;
  --prefix) use_arch "$(default_arch)"; up; echo "$WINEPREFIX"; exit 0 ;;
  --display) use_arch "$(default_arch)"; up; echo "$DISPLAY"; exit 0 ;;
  --winepath)
    use_arch "$(default_arch)"; up
    "$loader" winepath.exe -w "$2" 2>/dev/null </dev/null | tr -d '\r'
    exit "${PIPESTATUS[0]}" ;;
  "") echo "usage: wine-run.sh [--build DIR] program.exe [args...]" >&2; exit 2 ;;
esac

if ! program_arch="$(pe_arch "$1")"; then
  echo "wine-run: $1 is not a Windows program for i686 or x86_64" >&2
  exit 2
fi
use_arch "$program_arch"
up
out="$(mktemp)"; err="$(mktemp)"
"$loader" "$@" </dev/null >"$out" 2>"$err"
rc=$?
cat "$out"; cat "$err" >&2
rm -f "$out" "$err"
exit $rc

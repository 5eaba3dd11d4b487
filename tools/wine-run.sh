#!/usr/bin/env bash
# Runs a Windows program under Wine for ctest (CMAKE_CROSSCOMPILING_EMULATOR)
# and for people: tools/wine-run.sh [--build DIR] program.exe [args...]
#
# - the Wine prefix lives in the build folder (ORLO_WINE_STATE, default the
#   folder of the "wine-state" link beside this script's configured copy);
# - ACP 932 through LC_ALL=ja_JP.UTF-8;
# - a private Xvfb when $DISPLAY is not served;
# - one persistent wineserver, started with every descriptor on /dev/null so
#   that ctest's pipes are never held open by Wine's background processes;
# - the program's output is buffered in files and printed after it exits, as
#   explorer.exe may keep the pipe for a while after a GUI program ends.
#
# Special commands: "--up" prepares everything and returns; "--down" stops the
# wineserver and the Xvfb this runner started.
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

export WINEPREFIX="$state/prefix"
export WINEARCH=win32
export WINEDEBUG=-all
export LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

display_served() { [ -n "${1:-}" ] && DISPLAY="$1" xdpyinfo >/dev/null 2>&1; }

ensure_display() {
  if [ -n "${DISPLAY:-}" ] && [ ! -f "$state/xvfb.display" ] && display_served "$DISPLAY"; then
    return 0
  fi
  if [ -f "$state/xvfb.display" ]; then
    local d; d="$(cat "$state/xvfb.display")"
    if display_served "$d"; then export DISPLAY="$d"; return 0; fi
  fi
  local n=90
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

ensure_prefix() {
  [ -f "$WINEPREFIX/.orlo-ready" ] && return 0
  wineboot -i </dev/null >/dev/null 2>&1 9>&-
  wineserver -w
  # Registry: window-manager-less X11 windows and Japanese font replacements.
  regedit /S "$script_dir/wine-prefix.reg" </dev/null >/dev/null 2>&1 9>&-
  wineserver -w
  # Desktop and Documents as real folders inside the prefix, never $HOME.
  local user_dir
  for user_dir in "$WINEPREFIX/drive_c/users/"*; do
    [ -d "$user_dir" ] || continue
    for sub in Desktop Documents "My Documents"; do
      if [ -L "$user_dir/$sub" ]; then rm -f "$user_dir/$sub"; mkdir -p "$user_dir/$sub"; fi
    done
  done
  touch "$WINEPREFIX/.orlo-ready"
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
  if ! pgrep -f "wineserver.* -p" >/dev/null 2>&1 || ! [ -f "$state/server.started" ]; then
    wineserver -p </dev/null >/dev/null 2>&1 9>&- &
    touch "$state/server.started"
  fi
}

up() {
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
  wineserver -k >/dev/null 2>&1 </dev/null || true
  rm -f "$state/server.started"
  if [ -f "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    rm -f "$state/xvfb.pid" "$state/xvfb.display"
  fi
}

case "${1:-}" in
  --up) up; exit 0 ;;
  --down) down; exit 0 ;;
  "") echo "usage: wine-run.sh [--build DIR] program.exe [args...]" >&2; exit 2 ;;
esac

up
out="$(mktemp)"; err="$(mktemp)"
wine "$@" </dev/null >"$out" 2>"$err"
rc=$?
cat "$out"; cat "$err" >&2
rm -f "$out" "$err"
exit $rc

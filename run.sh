#!/usr/bin/env bash
# See orlosend work.
#
#   ./run.sh [FILE...]
#
# Sets up what is missing (as ./test.sh does), builds, and starts orlosend.exe
# under Wine on your display with the given files, their Linux paths turned
# into Windows paths. The program, its settings file and its favourites file
# live in ${XDG_DATA_HOME:-~/.local/share}/orlosend/, never in the source tree.
#
# On a machine without a display and without FILE arguments it runs the
# scripted demo instead (tools/demo.sh) on a virtual display: screenshots of
# every step and a short report, in a folder whose path it prints.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cd "$here"

bash tools/setup-debian.sh
source tools/arch.sh

base="${ORLO_BUILD_DIR:-$here/build}"
arch="$(orlo_run_arch)"
echo "run.sh: building the $arch program (this host $(orlo_can_run_32bit && echo runs || echo cannot run) 32-bit programs)"
orlo_build "$base" "$arch"
orlo_write_runner "$base"
build="$base/$arch"

display_served() { [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; }

if [ $# -eq 0 ] && ! display_served; then
  echo "run.sh: no display here, so the scripted demo runs on a virtual one"
  exec bash tools/demo.sh "$build"
fi
if ! display_served; then
  echo "run.sh: no display to show the program on (DISPLAY is not set or not served)." >&2
  echo "run.sh: run it without files for the scripted demo, or from a desktop session." >&2
  exit 2
fi

# The user's own copy of the program, beside its settings and favourites.
home="${XDG_DATA_HOME:-$HOME/.local/share}/orlosend"
mkdir -p "$home"
cp -f "$build/app/orlosend.exe" "$home/orlosend.exe"

# The user's display, in this build's prefix (Japanese fonts, code page 932).
runner="$base/wine-run"
windows_args=()
for f in "$@"; do
  abs="$(realpath -s -- "$f")"
  [ -e "$abs" ] || echo "run.sh: note: $f does not exist; the program takes it as it is" >&2
  windows_args+=("$(ORLO_WINE_ARCH="$arch" "$runner" --winepath "$abs")")
done
exec "$runner" "$home/orlosend.exe" "${windows_args[@]}"

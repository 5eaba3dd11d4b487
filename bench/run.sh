#!/usr/bin/env bash
# Runs every benchmark and prints one table. Wine and its server are pinned to
# one CPU, so that the two sides of each comparison share the same core.
#
#   bench/run.sh            (ROUNDS=N sets the start-up rounds, default 30)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"
bash tools/setup-debian.sh
source tools/arch.sh

base="${ORLO_BUILD_DIR:-$here/build}"
arch="$(orlo_run_arch)"
orlo_build "$base" "$arch" >/dev/null
# The product's size is the i686 build's, whatever runs here: only the
# program itself is built for it when its programs cannot run here.
if [ "$arch" != i686 ]; then
  cmake -S . -B "$base/i686" -G Ninja -DORLO_ARCH=i686 -DORLO_WINE_STATE="$base/wine-state" >/dev/null
  cmake --build "$base/i686" --target orlosend >/dev/null
fi
orlo_write_runner "$base"
b="$base/$arch"
run="$b/wine-run"

# The server is started again inside the pinned process tree.
"$run" --down
pin() { taskset -c 0 "$@"; }
# The server and the prefix's own programs start before anything is timed and
# are given a few seconds to settle: right after a start they still take the
# pinned CPU now and then.
ORLO_WINE_ARCH="$arch" pin "$run" --up
pin "$run" "$b/bench/bare_window.exe" --timeline >/dev/null
sleep 5

echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores," \
     "$(free -g | awk '/Mem:/{print $2}') GiB; $(/usr/lib/wine/wine64 --version 2>/dev/null || echo wine);" \
     "programs: $arch, pinned to CPU 0"
echo
pin "$run" "$b/bench/startup_bench.exe" "$b/app/orlosend.exe" "$b/bench/bare_window.exe" "${ROUNDS:-30}"
echo
# The timelines: the program's entry steps and the bare window's, each step's
# length the median of TIMELINE_ROUNDS alternating starts, after a warm start.
median_steps() {
  awk '
    /^process created/ { name = "process created -> entry"; split($0, f, / +/); v = f[5] + 0 }
    /\(\+[0-9.]+\)/ { name = substr($0, 1, 42); match($0, /\(\+[0-9.]+\)/); v = substr($0, RSTART + 2, RLENGTH - 3) + 0 }
    /^process created/ || /\(\+[0-9.]+\)/ {
      if (!(name in count)) order[++steps] = name
      values[name, ++count[name]] = v
    }
    END {
      for (i = 1; i <= steps; i++) {
        name = order[i]; n = count[name]
        for (j = 1; j <= n; j++) a[j] = values[name, j]
        for (j = 2; j <= n; j++) { x = a[j]; k = j - 1; while (k > 0 && a[k] > x) { a[k + 1] = a[k]; k-- } a[k + 1] = x }
        printf "%-42s %8.2f ms\n", name, n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
      }
    }' "$1"
}
tl_ours="$(mktemp)"; tl_bare="$(mktemp)"
pin "$run" "$b/bench/startup_timeline_bench.exe" >/dev/null
pin "$run" "$b/bench/bare_window.exe" --timeline >/dev/null
for _ in $(seq "${TIMELINE_ROUNDS:-9}"); do
  pin "$run" "$b/bench/startup_timeline_bench.exe" >>"$tl_ours"
  pin "$run" "$b/bench/bare_window.exe" --timeline >>"$tl_bare"
done
echo "timeline of one start, each step's length (median of ${TIMELINE_ROUNDS:-9} alternating starts):"
median_steps "$tl_ours"
echo
echo "the bare window's timeline, the same way:"
median_steps "$tl_bare"
rm -f "$tl_ours" "$tl_bare"
echo
pin "$run" "$b/bench/transfer_bench.exe" 1000 "${TRANSFER_ROUNDS:-16}"
if [ -f "$b/bench/paint_bench.exe" ]; then
  echo
  pin "$run" "$b/bench/paint_bench.exe"
fi
echo
size=$(stat -c %s "$base/i686/app/orlosend.exe")
awk -v s="$size" 'BEGIN { printf "%-34s %9.2f MiB (%d bytes; target 1 MiB)\n", "orlosend.exe (i686, static)", s / 1048576, s }'
"$run" --down

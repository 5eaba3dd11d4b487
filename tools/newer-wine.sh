#!/usr/bin/env bash
# Runs the x86_64 build's tests under a newer Wine than this Debian 12 host's
# Wine 8: Debian 13's Wine 10, as users of today's Linux desktops have it.
#
#   tools/newer-wine.sh [--build DIR] [ctest arguments...]
#
# The programs and tests are built on this host with its own MinGW, as
# test.sh builds them (DIR/x86_64, and the i686 product that the version and
# manifest tests read). Only running them moves: into a Debian 13 chroot that
# this script makes once with debootstrap and keeps in DIR/newer-wine/root,
# with the packages tools/setup-debian.sh installs for running tests. The
# first run downloads several hundred MB from deb.debian.org, so this is not
# part of test.sh. Needs root (debootstrap, chroot, mounts).
#
# Inside the chroot the source tree is mounted at its own path, so the build's
# Wine runner and test scripts work unchanged; the build's Wine state folder
# is replaced by DIR/newer-wine/wine-state, so Wine 10 gets prefixes of its
# own and this host's Wine 8 prefixes are never touched. All mounts live in a
# mount namespace of their own and vanish with it.
#
# The package test (release_package) is left out: it runs no Windows program,
# and it rebuilds the i686 product with this host's CMake and MinGW, which the
# chroot has not got. The tests of the programs' version information and
# manifests run, against the product this script has built.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

base="$here/build"
if [ "${1:-}" = "--build" ]; then
  mkdir -p "$2"
  base="$(cd "$2" && pwd)"
  shift 2
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "newer-wine: run as root: debootstrap, chroot and the mounts need it" >&2
  exit 2
fi

suite=trixie
mirror=http://deb.debian.org/debian
state="$base/newer-wine"
root="$state/root"
packages=(wine wine64 xvfb xauth x11-utils xdotool imagemagick fonts-horai-umefont
          fonts-liberation2 locales procps util-linux file desktop-file-utils zip unzip
          cmake)

cd "$here"
bash tools/setup-debian.sh
if ! command -v debootstrap >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null
fi

# The builds, on this host.
source tools/arch.sh
orlo_build "$base" x86_64
if [ ! -f "$base/i686/build.ninja" ]; then
  cmake -S "$here" -B "$base/i686" -G Ninja -DORLO_ARCH=i686 -DORLO_WINE_STATE="$base/wine-state" >/dev/null
fi
cmake --build "$base/i686" --target orlosend orlosend_setup
orlo_write_runner "$base"
mkdir -p "$base/wine-state" "$state/wine-state" /tmp/.X11-unix
chmod 1777 /tmp/.X11-unix

# Runs a command in the chroot with /proc, /sys, /dev/pts and /dev/shm, the
# source tree at its own path with the chroot's Wine state over the build's,
# and this host's X sockets (so that display numbers taken here are seen as
# taken there, and the chroot's Xvfb as taken here).
in_root() {
  unshare --mount --propagation private bash -euc '
    root="$1" here="$2" base="$3" state="$4"; shift 4
    mount -t proc proc "$root/proc"
    mount -t sysfs sysfs "$root/sys"
    mkdir -p "$root/dev/pts" "$root/dev/shm" "$root/tmp/.X11-unix" "$root$here"
    mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts"
    mount -t tmpfs tmpfs "$root/dev/shm"
    mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
    mount --bind "$here" "$root$here"
    mount --bind "$state/wine-state" "$root$base/wine-state"
    exec chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin \
      LANG=C.UTF-8 ORLO_XVFB_FIRST="${ORLO_XVFB_FIRST:-90}" "$@"
  ' in_root "$root" "$here" "$base" "$state" "$@"
}

# The chroot, made once; made again when the package list changes.
want="$suite ${packages[*]}"
if [ ! -f "$root/.orlo-ready" ] || [ "$(cat "$root/.orlo-ready")" != "$want" ]; then
  if [ ! -x "$root/usr/bin/apt-get" ]; then
    rm -rf "$root"
    echo "newer-wine: making a Debian 13 ($suite) chroot in $root"
    unshare --mount --propagation private \
      debootstrap --variant=minbase "$suite" "$root" "$mirror" >"$state/debootstrap.log" 2>&1 || {
        tail -n 20 "$state/debootstrap.log" >&2
        echo "newer-wine: debootstrap failed (log: $state/debootstrap.log)" >&2
        exit 1
      }
  fi
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  echo "newer-wine: installing ${packages[*]} into the chroot"
  in_root apt-get update -qq
  # With Recommends, as on the host: Wine's fonts and X libraries.
  in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${packages[@]}" \
    >"$state/apt.log" 2>&1 || {
      tail -n 20 "$state/apt.log" >&2
      echo "newer-wine: installing the packages failed (log: $state/apt.log)" >&2
      exit 1
    }
  in_root sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  in_root locale-gen >/dev/null
  in_root apt-get clean
  echo "$want" > "$root/.orlo-ready"
fi

wine_version="$(in_root /usr/lib/wine/wine64 --version)"
echo "newer-wine: testing $base/x86_64 under $wine_version ($suite chroot)"
log="$state/ctest.log"
status=0
in_root ctest --test-dir "$base/x86_64" --output-on-failure -j "${ORLO_TEST_JOBS:-2}" \
  -E '^release_package$' --fixture-exclude-setup i686_product "$@" 2>&1 | tee "$log" || status=1

# Wine's servers and the Xvfb of the run end with its last test; anything of
# the chroot's still running is ended here, each process by its id.
for p in /proc/[0-9]*; do
  if [ "$(readlink "$p/root" 2>/dev/null)" = "$root" ]; then kill "${p#/proc/}" 2>/dev/null || true; fi
done

line="$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)"
if [ -z "$line" ]; then
  echo "newer-wine: no test summary (log: $log)"
  exit 1
fi
f="$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")"
n="$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")"
echo "newer-wine: $wine_version: $((n - f)) passed, $f failed"
[ "$f" -eq 0 ] || status=1
exit $status

#!/usr/bin/env bash
# Installs what building and testing need on a Debian 12 machine (as root).
# Every step checks first, so running it again costs almost nothing.
#
# Both cross compilers are always installed: the product is the i686 build, and
# the x86_64 build is tested wherever the host cannot run 32-bit programs.
# Wine comes with its 32-bit half (wine32) and its 64-bit half (wine64).
set -euo pipefail

need_pkgs=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

if [ "$(id -u)" -ne 0 ]; then
  SUDO=sudo
else
  SUDO=
fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi

# locales holds glibc's locale sources (/usr/share/i18n), from which
# tools/install-desktop.sh compiles ja_JP.UTF-8 with localedef (libc-bin).
base=(cmake ninja-build g++ make g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix googletest
      xvfb xauth x11-utils xdotool imagemagick fonts-horai-umefont fonts-liberation2 locales
      procps util-linux file desktop-file-utils zip unzip)
for p in "${base[@]}"; do have "$p" || need_pkgs+=("$p"); done
wine_pkgs=()
for p in wine wine32:i386 wine64; do have "$p" || wine_pkgs+=("$p"); done

if [ ${#need_pkgs[@]} -gt 0 ] || [ ${#wine_pkgs[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  echo "setup: installing ${need_pkgs[*]} ${wine_pkgs[*]}"
  $SUDO apt-get update -qq
  if [ ${#need_pkgs[@]} -gt 0 ]; then
    $SUDO apt-get install -y -qq --no-install-recommends "${need_pkgs[@]}" >/dev/null
  fi
  if [ ${#wine_pkgs[@]} -gt 0 ]; then
    # with Recommends: wine's own fonts and the X libraries of both halves.
    # On a host without 32-bit emulation a 32-bit package's set-up step may
    # print "Exec format error"; the packages are installed all the same.
    $SUDO apt-get install -y -qq wine wine32:i386 wine64 >/dev/null
  fi
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  $SUDO sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi

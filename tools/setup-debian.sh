#!/usr/bin/env bash
# Installs what building and testing need on a Debian 12 machine (as root).
# Every step checks first, so running it again costs almost nothing.
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
  updated=0
fi

base=(cmake ninja-build g++ make g++-mingw-w64-i686 googletest xvfb xauth x11-utils xdotool imagemagick
      fonts-ipafont-gothic fonts-liberation2 locales procps util-linux file)
for p in "${base[@]}"; do have "$p" || need_pkgs+=("$p"); done
wine_missing=0
have wine || wine_missing=1
have wine32:i386 || wine_missing=1

if [ ${#need_pkgs[@]} -gt 0 ] || [ $wine_missing -eq 1 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  if [ ${#need_pkgs[@]} -gt 0 ]; then
    $SUDO apt-get install -y -qq --no-install-recommends "${need_pkgs[@]}"
  fi
  if [ $wine_missing -eq 1 ]; then
    # with Recommends: wine's own fonts and the 32-bit X libraries
    $SUDO apt-get install -y -qq wine wine32:i386
  fi
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  $SUDO sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi

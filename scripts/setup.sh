#!/usr/bin/env bash
# Prepares a fresh Debian machine (as root) for building, testing and packaging.
# Every step checks whether it is already done, so a second run is quick.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/windows-arch.sh"

# Both Windows builds are compiled on every machine; 64-bit Wine runs on
# every one, 32-bit Wine only where the kernel runs 32-bit code.
PACKAGES=(
  cmake g++ googletest
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools
  wine wine64 fonts-wine
  xvfb xauth x11-utils xdotool imagemagick
  locales fonts-wqy-microhei
  clang libclang-rt-14-dev
  time util-linux strace
  e2fsprogs dosfstools fusefat ntfs-3g
  nsis dpkg-dev unzip groff-base lintian python3 python3-yaml
)

if runs_32bit_code; then PACKAGES+=(wine32:i386); fi

need_install=()
for p in "${PACKAGES[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || need_install+=("$p")
done

if ((${#need_install[@]})); then
  if [[ " ${need_install[*]} " == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${need_install[@]}"
fi

if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi

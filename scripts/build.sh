#!/usr/bin/env bash
# Configures and builds the three trees: build/native (Linux), build/win32
# (MinGW i686, the release's word size) and build/win64 (MinGW x86_64, which
# keeps the sources 64-bit clean and carries the Windows tests where no 32-bit
# code runs).
# SORVAN_SITE_HOST chooses the maker's web host; the test script sets 127.0.0.1.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
HOST="${SORVAN_SITE_HOST:-www.tavrel.example}"
JOBS="${JOBS:-$(nproc)}"

cmake -S "$ROOT" -B "$ROOT/build/native" -DSORVAN_SITE_HOST="$HOST" >/dev/null
cmake --build "$ROOT/build/native" -j "$JOBS"
for arch in i686 x86_64; do
  tree="$ROOT/build/win32"
  [[ $arch == x86_64 ]] && tree="$ROOT/build/win64"
  cmake -S "$ROOT" -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$arch.cmake" \
    -DSORVAN_SITE_HOST="$HOST" >/dev/null
  cmake --build "$tree" -j "$JOBS"
done

#!/usr/bin/env bash
# Configures and builds both trees: build/native (Linux) and build/win32 (MinGW).
# SORVAN_SITE_HOST chooses the maker's web host; the test script sets 127.0.0.1.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
HOST="${SORVAN_SITE_HOST:-www.tavrel.example}"
JOBS="${JOBS:-$(nproc)}"

cmake -S "$ROOT" -B "$ROOT/build/native" -DSORVAN_SITE_HOST="$HOST" >/dev/null
cmake --build "$ROOT/build/native" -j "$JOBS"
cmake -S "$ROOT" -B "$ROOT/build/win32" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" \
  -DSORVAN_SITE_HOST="$HOST" >/dev/null
cmake --build "$ROOT/build/win32" -j "$JOBS"

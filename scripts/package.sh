#!/usr/bin/env bash
# Installs what is missing and builds a release into build/dist/: the Windows
# installer Tavrel-<version>-setup.exe, the portable Tavrel-<version>-win32.zip,
# the Debian package p6k_<version>_<arch>.deb, and their SHA-256 sums. The
# release trees (build/release/) are Release builds without tests, for the
# maker's web host (SORVAN_SITE_HOST, as for build.sh).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
HOST="${SORVAN_SITE_HOST:-www.tavrel.example}"
JOBS="${JOBS:-$(nproc)}"
NATIVE="$ROOT/build/release/native"
WIN32="$ROOT/build/release/win32"
DIST="$ROOT/build/dist"

bash "$ROOT/scripts/setup.sh"

# Packages of an earlier version must not slip into the release.
rm -rf "$NATIVE/dist" "$WIN32/dist"
cmake -S "$ROOT" -B "$NATIVE" -DCMAKE_BUILD_TYPE=Release -DSORVAN_BUILD_TESTS=OFF \
  -DSORVAN_SITE_HOST="$HOST" >/dev/null
cmake --build "$NATIVE" -j "$JOBS" --target deb
cmake -S "$ROOT" -B "$WIN32" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DSORVAN_BUILD_TESTS=OFF -DSORVAN_SITE_HOST="$HOST" >/dev/null
cmake --build "$WIN32" -j "$JOBS" --target windows_packages

rm -rf "$DIST"
mkdir -p "$DIST"
cp "$WIN32"/dist/* "$NATIVE"/dist/* "$DIST"/
(cd "$DIST" && sha256sum -- * >SHA256SUMS)
echo "Release in $DIST:"
ls -l "$DIST"

#!/usr/bin/env bash
# Installs what is missing and builds a release into build/dist/: the Windows
# installer Tavrel-<version>-setup.exe, the portable Tavrel-<version>-win32.zip,
# the Debian package p6k_<version>_<arch>.deb, their SHA-256 sums, and the
# winget and Scoop manifests in manifests/. The release trees (build/release/)
# are Release builds without tests, for the maker's web host
# (SORVAN_SITE_HOST, as for build.sh).
#
# Every time the packages hold is SOURCE_DATE_EPOCH, the time of the last
# commit unless the environment sets it, so two runs on one commit write the
# same bytes. The last step runs the packaging tests on what was written and
# fails when they fail.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
HOST="${SORVAN_SITE_HOST:-www.tavrel.example}"
JOBS="${JOBS:-$(nproc)}"
NATIVE="$ROOT/build/release/native"
WIN32="$ROOT/build/release/win32"
DIST="$ROOT/build/dist"

bash "$ROOT/scripts/setup.sh"

if [[ -z "${SOURCE_DATE_EPOCH:-}" ]]; then
  SOURCE_DATE_EPOCH="$(git -C "$ROOT" log -1 --format=%ct)"
fi
export SOURCE_DATE_EPOCH
echo "SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH ($(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S UTC'))"

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
packages=()
for file in "$DIST"/*; do packages+=("$(basename "$file")"); done
(cd "$DIST" && sha256sum -- "${packages[@]}" >SHA256SUMS)
VERSION="$(sed -n 's/^project(sorvan VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")"
python3 "$ROOT/packaging/manifests/write_manifests.py" "$DIST" "$VERSION" "$HOST" "$DIST/manifests"

# The packaging tests on the release itself. Their programs come from the test
# trees (build/native, build/win32), pointed at the release by SORVAN_DIST and
# at the trees that built it.
echo "Testing the release in $DIST"
export SORVAN_DIST="$DIST" SORVAN_NATIVE_BUILD_DIR="$NATIVE" SORVAN_WIN32_BUILD_DIR="$WIN32"
cmake -S "$ROOT" -B "$ROOT/build/native" -DSORVAN_SITE_HOST=127.0.0.1 >/dev/null
cmake --build "$ROOT/build/native" -j "$JOBS" --target package_tests
"$ROOT/build/native/tests/packaging/package_tests"
python3 "$ROOT/tests/packaging/manifests_test.py" "$ROOT/packaging/manifests/write_manifests.py" \
  "$VERSION" "$HOST" "$DIST"

# The installer and the programs in it are i686: only a machine that runs
# 32-bit code runs them, under 32-bit Wine.
source "$ROOT/scripts/windows-arch.sh"
if runs_32bit_code; then
  cmake -S "$ROOT" -B "$ROOT/build/win32" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" \
    -DSORVAN_SITE_HOST=127.0.0.1 >/dev/null
  cmake --build "$ROOT/build/win32" -j "$JOBS" --target install_tests
  (
    export SORVAN_WINE_ARCH=i686
    source "$ROOT/scripts/wine-env.sh"
    start_display
    trap stop_wine_and_display EXIT
    bash "$ROOT/tests/packaging/fresh_prefix.sh" "$ROOT/build/win32/tests/packaging/prefix-release" \
      "$ROOT/build/win32/tests/packaging/install_tests.exe"
  )
  windows_tests="the installer's tests ran under 32-bit Wine"
else
  windows_tests="the installer's tests did not run: this machine runs no 32-bit code, and the release is i686"
fi

echo "Release in $DIST ($windows_tests):"
ls -l "$DIST"
cat "$DIST/SHA256SUMS"

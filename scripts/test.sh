#!/usr/bin/env bash
# Installs what is missing, builds every tree with the test host 127.0.0.1,
# and runs every test: natively, then the Windows build this machine runs
# under Wine (i686 where the kernel runs 32-bit code, else x86_64; see
# scripts/windows-arch.sh). The i686 build's tests run twice: in a 32-bit
# prefix, as on 32-bit Windows, and in a 64-bit one, under WOW64, as 64-bit
# Windows runs the release.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

bash "$ROOT/scripts/setup.sh"
SORVAN_SITE_HOST=127.0.0.1 bash "$ROOT/scripts/build.sh"

# Every tree was just built: a test that finds one missing fails here instead
# of skipping as on a machine that builds the native tree alone.
export SORVAN_REQUIRE_WINDOWS_TREES=1

source "$ROOT/scripts/wine-env.sh"
echo "Windows tests: $(windows_tests_ran) ($(windows_tree)): $SORVAN_WINE_ARCH_REASON"
prepare_wine_prefix
start_display
trap stop_wine_and_display EXIT
start_wineserver

passed=0 skipped=0 failed=0
# Runs one tree's tests and adds its counts from ctest's closing lines; ctest
# counts a skipped test among the passed ones and lists it apart.
run_ctest() {
  local log total bad skips
  log="$(mktemp)"
  ctest --test-dir "$1" --output-on-failure 2>&1 | tee "$log" || true
  total="$(grep -oE 'tests failed out of [0-9]+' "$log" | tail -1 | grep -oE '[0-9]+$' || true)"
  bad="$(grep -oE '[0-9]+ tests failed out of' "$log" | tail -1 | grep -oE '^[0-9]+' || true)"
  skips="$(grep -cE '^\s+[0-9]+ - .* \(Skipped\)$' "$log" || true)"
  rm -f "$log"
  if [[ -z "$total" || -z "$bad" ]]; then failed=$((failed + 1)); return; fi
  passed=$((passed + total - bad - skips))
  skipped=$((skipped + skips))
  failed=$((failed + bad))
}

run_ctest "$ROOT/build/native"
run_ctest "$ROOT/$(windows_tree)"

# The native tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
cmake -S "$ROOT" -B "$ROOT/build/asan" -DSORVAN_SANITIZE=ON -DSORVAN_SITE_HOST=127.0.0.1 \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$ROOT/build/asan" -j "$(nproc)" >/dev/null
run_ctest "$ROOT/build/asan"

# The release as 64-bit Windows runs it: the i686 tree's tests again, in a
# 64-bit prefix with the 64-bit server. Its screenshots replace those of the
# 32-bit prefix.
if [[ "$SORVAN_WINE_ARCH" == i686 ]]; then
  wineserver -k >/dev/null 2>&1 || true
  unset WINEPREFIX
  export SORVAN_WINE_WOW64=1
  source "$ROOT/scripts/wine-env.sh"
  echo "Windows tests on i686 ($(windows_tree)) in a 64-bit prefix, under WOW64"
  prepare_wine_prefix
  start_wineserver
  run_ctest "$ROOT/$(windows_tree)"
fi

# The window tests leave BMP screenshots for a reviewer; they become PNG here.
cmake -DDIR="$ROOT/build/screenshots" -P "$ROOT/scripts/convert_screenshots.cmake" ||
  echo "the screenshots could not be converted to PNG" >&2

# Each fuzz target counts as one test.
fuzz_log="$(mktemp)"
fuzz_status=0
bash "$ROOT/scripts/fuzz.sh" 2>&1 | tee "$fuzz_log" || fuzz_status=1
passed=$((passed + $(grep -c 'no failure$' "$fuzz_log" || true)))
fuzz_failed="$(grep -c 'FAILED' "$fuzz_log" || true)"
if [[ $fuzz_status -ne 0 && $fuzz_failed -eq 0 ]]; then fuzz_failed=1; fi
failed=$((failed + fuzz_failed))
rm -f "$fuzz_log"

# ctest counts a test program, or a group of its tests, as one test; the
# programs hold the cases.
echo "ctest and fuzz: $passed passed, $skipped skipped, $failed failed" \
  "(Windows tests: $(windows_tests_ran); $SORVAN_WINE_ARCH_REASON)"
[[ $failed -eq 0 ]]

#!/usr/bin/env bash
# Installs what is missing, builds both trees with the test host 127.0.0.1,
# and runs every test: natively, then the Windows builds under Wine.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

bash "$ROOT/scripts/setup.sh"
SORVAN_SITE_HOST=127.0.0.1 bash "$ROOT/scripts/build.sh"

source "$ROOT/scripts/wine-env.sh"
prepare_wine_prefix
start_display
trap stop_wine_and_display EXIT
start_wineserver

status=0
ctest --test-dir "$ROOT/build/native" --output-on-failure || status=1
ctest --test-dir "$ROOT/build/win32" --output-on-failure || status=1

# The native tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
cmake -S "$ROOT" -B "$ROOT/build/asan" -DSORVAN_SANITIZE=ON -DSORVAN_SITE_HOST=127.0.0.1 \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$ROOT/build/asan" -j "$(nproc)" >/dev/null
ctest --test-dir "$ROOT/build/asan" --output-on-failure || status=1

bash "$ROOT/scripts/fuzz.sh" || status=1
exit $status

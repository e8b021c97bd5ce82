#!/usr/bin/env bash
# Runs a Windows test program in a Wine prefix made for it alone, as a new
# user's Windows is: nothing installed, nothing registered. The prefix, its
# own wineserver (detached, so it keeps no pipe of ctest open) and the prefix
# again on success are gone afterwards.
#   fresh_prefix.sh PREFIX PROGRAM [ARGUMENTS...]
set -uo pipefail
export WINEPREFIX="$(realpath -m "$1")"
shift
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"

if [[ -z "${DISPLAY:-}" ]]; then
  echo "fresh_prefix.sh: the windows need an X display (the test command starts Xvfb)" >&2
  exit 1
fi
rm -rf "$WINEPREFIX"
prepare_wine_prefix
start_wineserver
wine "$@"
status=$?
wineserver -k >/dev/null 2>&1
wineserver -w >/dev/null 2>&1
if [[ $status -eq 0 ]]; then rm -rf "$WINEPREFIX"; fi
exit "$status"

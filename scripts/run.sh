#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program under Wine. Without
# a display of its own it opens one with Xvfb (look at it with a VNC viewer or
# take screenshots with `import -window root`).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

bash "$ROOT/scripts/setup.sh"
bash "$ROOT/scripts/build.sh"

source "$ROOT/scripts/wine-env.sh"
if [[ "$SORVAN_WINE_ARCH" == x86_64 ]]; then
  echo "Starting the x86_64 build under 64-bit Wine: $SORVAN_WINE_ARCH_REASON (the release is i686)"
fi
prepare_wine_prefix
if [[ -z "${DISPLAY:-}" ]]; then
  start_display
  trap stop_wine_and_display EXIT
  echo "Display $DISPLAY (Xvfb)"
fi
wine "$ROOT/$(windows_tree)/sorvan.exe" "$@"

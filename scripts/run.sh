#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program under Wine. Without
# a display of its own it opens one with Xvfb (look at it with a VNC viewer or
# take screenshots with `import -window root`).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

bash "$ROOT/scripts/setup.sh"
bash "$ROOT/scripts/build.sh"

source "$ROOT/scripts/wine-env.sh"
prepare_wine_prefix
if [[ -z "${DISPLAY:-}" ]]; then
  start_display
  trap stop_wine_and_display EXIT
  echo "Display $DISPLAY (Xvfb)"
fi
wine "$ROOT/build/win32/sorvan.exe" "$@"

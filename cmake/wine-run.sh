#!/usr/bin/env bash
# Runs a Windows program under the Wine of the chosen Windows build, in the
# project's prefix (code page 936); the choice and the settings are those of
# scripts/wine-env.sh.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/scripts/wine-env.sh" || exit 2
exec "$SORVAN_WINE" "$@"

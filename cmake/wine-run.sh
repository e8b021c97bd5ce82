#!/usr/bin/env bash
# Runs a Windows program under the project's Wine prefix (code page 936).
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export WINEPREFIX="${WINEPREFIX:-$here/../build/wineprefix}"
export WINEARCH=win32
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINEDEBUG="${WINEDEBUG:--all}"
# No Gecko or Mono prompt; no menu entries or file associations written into
# the desktop of the user who runs the tests.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
exec wine "$@"

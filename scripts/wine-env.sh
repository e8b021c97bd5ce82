# Sourced by the build-and-run, test and benchmark scripts and by the Wine
# runner of the Windows trees: the Wine of the chosen Windows build (see
# windows-arch.sh), its prefix inside the build folder, a private X display,
# and a persistent wineserver.

ROOT="${ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
source "$ROOT/scripts/windows-arch.sh"
choose_windows_arch || return

# Debian's wine wrapper and wineboot take the 32-bit loader whenever it is
# installed, whether or not the kernel can run it, so the loader and the
# server of the chosen word size are named here. Other Wine installations
# keep theirs on the PATH.
# SORVAN_WINE_WOW64=1 runs the i686 build in the 64-bit prefix instead, as
# 64-bit Windows runs the release: the 64-bit loader hands a 32-bit program
# to the 32-bit one, which serves it under WOW64 from the 64-bit server.
if [[ "$SORVAN_WINE_ARCH" == x86_64 || "${SORVAN_WINE_WOW64:-0}" == 1 ]]; then
  export WINEARCH=win64
  export WINEPREFIX="${WINEPREFIX:-$ROOT/build/wineprefix64}"
  SORVAN_WINE=/usr/lib/wine/wine64 SORVAN_WINESERVER=/usr/lib/wine/wineserver64
  [[ -x "$SORVAN_WINE" ]] || SORVAN_WINE=wine64
else
  export WINEARCH=win32
  export WINEPREFIX="${WINEPREFIX:-$ROOT/build/wineprefix}"
  SORVAN_WINE=/usr/lib/wine/wine SORVAN_WINESERVER=/usr/lib/wine/wineserver32
  [[ -x "$SORVAN_WINE" ]] || SORVAN_WINE=wine
fi
[[ -x "$SORVAN_WINESERVER" ]] || SORVAN_WINESERVER=wineserver
# A program that Wine starts from Windows (a test's child, an installer's
# uninstaller) is started by the same loader and server.
export WINELOADER="$SORVAN_WINE" WINESERVER="$SORVAN_WINESERVER"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Gecko or Mono prompt; no menu entries or file associations written into
# the desktop of the user who runs the tests.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8

# Every script says wine and wineserver and gets the chosen word size's.
wine() { "$SORVAN_WINE" "$@"; }
wineserver() { "$SORVAN_WINESERVER" "$@"; }

# Creates the prefix once: code page 936 comes from LANG; Managed=N gives
# windows their own captions without a window manager.
# Wine draws the caption's buttons with the Marlett font. Debian's Wine does
# not look for its own fonts (fonts-wine) in /usr/share/wine/fonts, so without
# a copy in the prefix the buttons show the letters "0" and "r" of another
# font instead of their glyphs.
provide_caption_font() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  [[ -f /usr/share/wine/fonts/marlett.ttf && -d "$fonts" ]] || return 0
  [[ -f "$fonts/marlett.ttf" ]] || cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
}

# A 64-bit prefix made before 32-bit Wine was installed has no 32-bit
# system, and cannot serve the i686 build under WOW64: it is made again.
prefix_is_ready() {
  [[ -f "$WINEPREFIX/.sorvan-ready" ]] || return 1
  [[ "${SORVAN_WINE_WOW64:-0}" != 1 || -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]]
}

prepare_wine_prefix() {
  if prefix_is_ready; then provide_caption_font; return; fi
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  wine wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  wineserver -w
  provide_caption_font
  touch "$WINEPREFIX/.sorvan-ready"
}

# Starts Xvfb on the first free display number and exports DISPLAY. Another
# test run may take the same number at the same moment; Xvfb's lock file then
# names the other server, whose end would take this run's windows with it,
# and the next number is tried. A minute without the display is a failure.
start_display() {
  local n=90 lock
  for _ in $(seq 20); do
    while [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 600); do
      kill -0 "$XVFB_PID" 2>/dev/null || break
      lock="$(tr -d ' \n' 2>/dev/null <"/tmp/.X$n-lock" || true)"
      if [[ -e /tmp/.X11-unix/X$n && "$lock" == "$XVFB_PID" ]]; then
        export DISPLAY=":$n"
        return 0
      fi
      sleep 0.1
    done
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    n=$((n + 1))
  done
  echo "Xvfb did not start" >&2
  return 1
}

# A wineserver started by a test would inherit the test's output pipe and
# keep the runner waiting; one started here, detached, serves every test.
start_wineserver() {
  # One that is already running (a developer's own) serves as well.
  setsid "$SORVAN_WINESERVER" -p </dev/null >/dev/null 2>&1 || true
  wine cmd /c exit 0 </dev/null >/dev/null 2>&1 || true
}

stop_wine_and_display() {
  wineserver -k >/dev/null 2>&1 || true
  if [[ -n "${XVFB_PID:-}" ]]; then kill "$XVFB_PID" 2>/dev/null || true; wait "$XVFB_PID" 2>/dev/null || true; fi
}

# Sourced: which Windows build this machine runs, decided once. The release is
# i686; a machine whose kernel runs no 32-bit code (an i386 program fails with
# "Exec format error") cannot start 32-bit Wine, and runs the x86_64 build of
# the same sources under 64-bit Wine instead. SORVAN_WINE_ARCH=i686 or x86_64
# overrides the choice, so the 64-bit path can be tried anywhere.

# True when the kernel starts i386 programs. The probe is the smallest i386
# program there is (exit(0) through int 0x80), written here so that nothing
# 32-bit needs to be installed first.
runs_32bit_code() {
  local probe status
  probe="$(mktemp)"
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$probe"
  printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' >>"$probe"
  printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' >>"$probe"
  printf '\x00\x00\x00\x00' >>"$probe"
  printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' >>"$probe"
  printf '\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' >>"$probe"
  printf '\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >>"$probe"
  chmod +x "$probe"
  "$probe" >/dev/null 2>&1
  status=$?
  rm -f "$probe"
  return "$status"
}

# Sets and exports SORVAN_WINE_ARCH (i686 or x86_64) and, for the closing
# lines, SORVAN_WINE_ARCH_REASON. A choice already made is kept.
choose_windows_arch() {
  if [[ -n "${SORVAN_WINE_ARCH:-}" ]]; then
    case "$SORVAN_WINE_ARCH" in
      i686 | x86_64) ;;
      *) echo "SORVAN_WINE_ARCH must be i686 or x86_64, not '$SORVAN_WINE_ARCH'" >&2; return 2 ;;
    esac
    : "${SORVAN_WINE_ARCH_REASON:=chosen by SORVAN_WINE_ARCH}"
  elif runs_32bit_code; then
    SORVAN_WINE_ARCH=i686 SORVAN_WINE_ARCH_REASON="this machine runs 32-bit code"
  else
    SORVAN_WINE_ARCH=x86_64 SORVAN_WINE_ARCH_REASON="this machine runs no 32-bit code"
  fi
  export SORVAN_WINE_ARCH SORVAN_WINE_ARCH_REASON
}

# What the closing lines say ran: the chosen build, and in which prefixes.
# Where the i686 build runs, the test command runs it twice: in a 32-bit
# prefix, as 32-bit Windows runs it, and in a 64-bit one, under WOW64.
windows_tests_ran() {
  if [[ "$SORVAN_WINE_ARCH" == x86_64 ]]; then
    echo "x86_64 in a 64-bit prefix"
  else
    echo "i686 in a 32-bit and a 64-bit prefix"
  fi
}

# The build tree of the chosen Windows build, relative to the checkout.
windows_tree() {
  if [[ "$SORVAN_WINE_ARCH" == x86_64 ]]; then echo build/win64; else echo build/win32; fi
}

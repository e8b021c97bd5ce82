#!/usr/bin/env bash
# What one small file costs p6k.exe under Wine, against the native p6k, in
# folders of a few and of many files: Wine looks a name that does not exist
# up by reading the whole folder (no other case of it may exist), so a probe
# of a free name costs more the more files the folder holds.
# For each folder size, p6k.exe encrypts a fresh copy of the folder and then
# decrypts it, timed as whole processes less the start-up (the median of
# `p6k.exe --version`); the native p6k does the same. Medians of RUNS runs,
# per file, in milliseconds. With CALLS=1 it also counts, per file, the
# file-layer calls (a +relay trace of two small folders, told apart) and how
# often Wine reads the folder through (strace of the same runs).
# Not part of the tests; run it by hand after building:
#
#   bash bench/files.sh
#
# Settings through the environment: FILE_COUNTS ("200 5000"), FILE_BYTES
# (1024), RUNS (3), CALLS (1), P6K_EXE and P6K (the programs), BENCH_DIR (a
# folder on the disk to measure, default /var/tmp).
set -euo pipefail
shopt -s inherit_errexit
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
FILE_COUNTS="${FILE_COUNTS:-200 5000}"
FILE_BYTES="${FILE_BYTES:-1024}"
RUNS="${RUNS:-3}"
CALLS="${CALLS:-1}"
source "$ROOT/scripts/wine-env.sh"
P6K_EXE="${P6K_EXE:-$ROOT/$(windows_tree)/p6k.exe}"
P6K="${P6K:-$ROOT/build/native/p6k}"
for f in "$P6K_EXE" "$P6K"; do
  [[ -f "$f" ]] || { echo "no $f: build first (bash scripts/build.sh)" >&2; exit 1; }
done
echo "p6k.exe on $SORVAN_WINE_ARCH ($SORVAN_WINE_ARCH_REASON) against the native p6k"

prepare_wine_prefix
trap stop_wine_and_display EXIT
start_wineserver
WORK="$(mktemp -d "${BENCH_DIR:-/var/tmp}/p6k-files.XXXXXX")"
trap 'stop_wine_and_display; rm -rf "$WORK"' EXIT
export P6K_PASSWORD=bench

now() { echo "$EPOCHREALTIME"; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
per_file_ms() { awk -v t="$1" -v s="$2" -v n="$3" 'BEGIN { printf "%.2f", (t - s) * 1000 / n }'; }
winpath() { echo "Z:${1//\//\\}"; }
settle() { sync -f "$WORK"; }

# A folder of count files of FILE_BYTES random bytes, kept as the master.
make_master() {
  local master="$WORK/master-$1" i
  mkdir "$master"
  for ((i = 0; i < $1; i++)); do head -c "$FILE_BYTES" /dev/urandom >"$master/f$i.bin"; done
  echo "$master"
}

# Times one command in seconds; its output goes nowhere.
timed() {
  local t0 t1
  t0=$(now)
  "$@" >/dev/null
  t1=$(now)
  elapsed "$t0" "$t1"
}

# The folder must hold every file again, as it was, and nothing else.
check_restored() {
  diff -r "$1" "$2" >/dev/null || { echo "$2 differs from $1 after the round trip" >&2; exit 1; }
}

# One round trip of a fresh copy: "encrypt-seconds decrypt-seconds".
round_trip() {
  local master="$1" program="$2" copy="$WORK/work" e d path
  rm -rf "$copy"
  cp -r "$master" "$copy"
  settle
  path="$copy"
  if [[ "$program" == wine ]]; then
    path="$(winpath "$copy")"
    e=$(timed wine "$P6K_EXE" encrypt "$path")
    d=$(timed wine "$P6K_EXE" decrypt "$path")
  else
    e=$(timed "$P6K" encrypt "$path")
    d=$(timed "$P6K" decrypt "$path")
  fi
  check_restored "$master" "$copy"
  echo "$e $d"
}

startups=()
for _ in 1 2 3 4 5; do startups+=("$(timed wine "$P6K_EXE" --version)"); done
startup=$(median "${startups[@]}")
echo "p6k.exe --version: $startup s (median of 5), taken off every p6k.exe run"

printf '%-8s %-8s %12s %12s\n' files program "encrypt ms" "decrypt ms"
for count in $FILE_COUNTS; do
  master=$(make_master "$count")
  for program in wine native; do
    enc=() dec=()
    for ((run = 0; run < RUNS; run++)); do
      read -r e d < <(round_trip "$master" "$program")
      enc+=("$e") dec+=("$d")
    done
    off=0
    [[ "$program" == wine ]] && off=$startup
    printf '%-8s %-8s %12s %12s\n' "$count" "$program" \
      "$(per_file_ms "$(median "${enc[@]}")" "$off" "$count")" \
      "$(per_file_ms "$(median "${dec[@]}")" "$off" "$count")"
  done
  rm -rf "$master"
done

[[ "$CALLS" == 1 ]] || exit 0

# Calls per file: a trace of a folder of 40 files less one of 20, over 20,
# so that the start-up and the run's own calls fall out.
API='CreateFileW|GetFullPathNameW|GetFileAttributesW|GetFileInformationByHandle|GetFileInformationByHandleEx|GetLongPathNameW|GetFinalPathNameByHandleW|MoveFileExW|WriteFile|FlushFileBuffers|SetFileInformationByHandle|DeleteFileW|FindFirstFileW|CloseHandle|NtCreateFile|NtOpenFile|NtQueryAttributesFile|NtQueryInformationFile|NtSetInformationFile|NtFlushBuffersFile'
# "name count" lines of one traced run of action over a fresh copy of master:
# the calls of API; "volume-queries", the volume's serial number asked of
# Wine's mount manager, another process (GetFileInformationByHandle does);
# "folder-reads", a name looked up that does not exist, which Wine answers
# by reading the whole folder (strace sees it open the folder to read it).
traced_counts() {
  local master="$1" action="$2" copy="$WORK/traced"
  fresh_traced() {
    rm -rf "$copy"
    cp -r "$master" "$copy"
    [[ "$action" == encrypt ]] || wine "$P6K_EXE" encrypt "$(winpath "$copy")" >/dev/null
  }
  fresh_traced
  WINEDEBUG=+relay wine "$P6K_EXE" "$action" "$(winpath "$copy")" 2>"$WORK/relay.txt" >/dev/null
  grep -oE "Call [A-Za-z0-9_]+\.($API)\(" "$WORK/relay.txt" | sed -E 's/^Call [^.]+\.//; s/\($//' |
    sort | uniq -c | awk '{ print $2, $1 }'
  echo "volume-queries $(grep -cE 'Call ntdll.NtQueryVolumeInformationFile\([^)]*,00000001\)' "$WORK/relay.txt" || true)"
  fresh_traced
  strace -f -qq -e trace=openat -o "$WORK/strace.txt" \
    "$SORVAN_WINE" "$P6K_EXE" "$action" "$(winpath "$copy")" >/dev/null
  echo "folder-reads $(grep -cE "/traced\", O_RDONLY\|O_NONBLOCK\|O_CLOEXEC\|O_DIRECTORY" "$WORK/strace.txt" || true)"
}

small=$(make_master 20)
large=$(make_master 40)
for action in encrypt decrypt; do
  traced_counts "$small" "$action" | sort >"$WORK/counts-small"
  traced_counts "$large" "$action" | sort >"$WORK/counts-large"
  echo "calls per file, $action (40 files less 20, over 20):"
  join -a 2 -e 0 -o 0,1.2,2.2 "$WORK/counts-small" "$WORK/counts-large" |
    awk '{ printf "  %-30s %6.2f\n", $1, ($3 - $2) / 20 }'
done

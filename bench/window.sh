#!/usr/bin/env bash
# The window's run against p6k.exe's on the same files, under Wine: small
# files, many files, then a few large ones. sorvan.exe is started and worked from outside
# as a user works it: the folder is dropped on its list from the X desktop
# (XDND, as a Linux file manager drops it), the password typed twice, the
# button pressed; the time runs from the press until the buttons come back.
# Besides, the time from the drop until the list holds every row, the longest
# the list took to answer meanwhile, and the time from the press until the
# buttons are off.
# p6k.exe encrypts a fresh copy of the same folder, timed as a whole process
# and less its start-up (the median of `p6k.exe --version`). Medians of RUNS
# runs, interleaved. Not part of the tests; run it by hand after building:
#
#   bash bench/window.sh
#
# Last, a second run in one window: SECOND_RUN_FILES files encrypted, then
# decrypted in the same window while window_run watches that the buttons
# stay off until the last row ends, the rows move and "关于" opens when
# clicked meanwhile.
#
# Settings through the environment: RUNS (5), SMALL_FILES (400), SMALL_BYTES
# (3000), MANY_FILES (20000), MANY_BYTES (1024), MANY_RUNS (3), LARGE_FILES
# (2), LARGE_MIB (96), SECOND_RUN_FILES (6000), BENCH_DIR (a folder on the
# disk to measure, default /var/tmp). A count of 0 leaves its case out.
set -euo pipefail
shopt -s inherit_errexit
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
RUNS="${RUNS:-5}"
SMALL_FILES="${SMALL_FILES:-400}"
SMALL_BYTES="${SMALL_BYTES:-3000}"
MANY_FILES="${MANY_FILES:-20000}"
MANY_BYTES="${MANY_BYTES:-1024}"
MANY_RUNS="${MANY_RUNS:-3}"
LARGE_FILES="${LARGE_FILES:-2}"
LARGE_MIB="${LARGE_MIB:-96}"
SECOND_RUN_FILES="${SECOND_RUN_FILES:-6000}"
source "$ROOT/scripts/wine-env.sh"
WIN="$ROOT/$(windows_tree)"
echo "The window and p6k.exe on $SORVAN_WINE_ARCH: $SORVAN_WINE_ARCH_REASON"
for f in sorvan.exe p6k.exe bench/window_run.exe; do
  [[ -f "$WIN/$f" ]] || { echo "no $WIN/$f: build first (bash scripts/build.sh)" >&2; exit 1; }
done

# The drop comes from a small X client of ours.
if ! dpkg -s libx11-dev >/dev/null 2>&1; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends libx11-dev >/dev/null
fi
DROP="$ROOT/build/bench/xdnd_drop"
mkdir -p "$(dirname "$DROP")"
gcc -O2 -o "$DROP" "$ROOT/bench/xdnd_drop.c" -lX11

prepare_wine_prefix
[[ -n "${DISPLAY:-}" ]] || start_display
trap stop_wine_and_display EXIT
start_wineserver

WORK="$(mktemp -d "${BENCH_DIR:-/var/tmp}/sorvan-bench.XXXXXX")"
trap 'stop_wine_and_display; rm -rf "$WORK"' EXIT
export P6K_PASSWORD=bench

now() { echo "$EPOCHREALTIME"; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
minus() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a - b }'; }
winpath() { echo "Z:${1//\//\\}"; }
settle() { sync -f "$WORK"; }

# Starts sorvan.exe and drops a folder on its list; sets program and dropped.
open_and_drop() {
  wine "$WIN/sorvan.exe" >/dev/null 2>&1 &
  program=$!
  local at; at="$(wine "$WIN/bench/window_run.exe" where)"
  dropped=$(now)
  "$DROP" ${at//$'\r'/} "$1" >/dev/null
}

# One run of the window over a fresh copy of the master folder: prints the
# run's seconds, the seconds until the buttons went off, the seconds from
# the drop until the list held every row, and the longest the list took to
# answer meanwhile.
window_run() {
  local master="$1" count="$2" folder="$WORK/window" program dropped
  rm -rf "$folder"; cp -r "$master" "$folder"; settle
  open_and_drop "$folder"
  local filled answer
  read -r filled answer <<<"$(wine "$WIN/bench/window_run.exe" filled "$count" | tr -d '\r')"
  local seconds; seconds="$(wine "$WIN/bench/window_run.exe" run "$count" encrypt | tr -d '\r')"
  wine "$WIN/bench/window_run.exe" close >/dev/null
  wait "$program" || true
  local made; made="$(find "$folder" -name '*.p6k' | wc -l)"
  [[ "$made" -eq "$count" ]] || { echo "the window made $made containers of $count" >&2; exit 1; }
  echo "$seconds $(elapsed "$dropped" "$filled") $answer"
}

# One run of p6k.exe over a fresh copy: prints the whole process's seconds.
tool_run() {
  local master="$1" folder="$WORK/tool" t0 t1
  rm -rf "$folder"; cp -r "$master" "$folder"; settle
  t0=$(now)
  wine "$WIN/p6k.exe" encrypt "$(winpath "$folder")" >/dev/null
  t1=$(now)
  elapsed "$t0" "$t1"
}

startup_run() {
  local t0 t1
  t0=$(now)
  wine "$WIN/p6k.exe" --version >/dev/null
  t1=$(now)
  elapsed "$t0" "$t1"
}

measure() {
  local name="$1" master="$2" count="$3" runs="$4" window=() off=() fill=() answer=() tool=() startup=()
  local figures
  ((count > 0)) || return 0
  # The order turns from run to run, so neither always follows the other.
  for ((i = 0; i < runs; i++)); do
    if ((i % 2 == 1)); then tool+=("$(tool_run "$master")"); fi
    read -r -a figures <<<"$(window_run "$master" "$count")"
    ((${#figures[@]} == 4)) || { echo "$name: a window run failed" >&2; exit 1; }
    window+=("${figures[0]}"); off+=("${figures[1]}"); fill+=("${figures[2]}"); answer+=("${figures[3]}")
    if ((i % 2 == 0)); then tool+=("$(tool_run "$master")"); fi
    startup+=("$(startup_run)")
  done
  local w t s net
  w="$(median "${window[@]}")"; t="$(median "${tool[@]}")"; s="$(median "${startup[@]}")"
  echo "$name: drop to list filled $(median "${fill[@]}") s (runs: ${fill[*]})"
  echo "$name: longest wait for the list to answer meanwhile $(median "${answer[@]}") s (runs: ${answer[*]})"
  echo "$name: press to buttons off $(median "${off[@]}") s (runs: ${off[*]})"
  net="$(minus "$t" "$s")"
  echo "$name: window ${w} s (runs: ${window[*]})"
  echo "$name: p6k.exe ${t} s whole (runs: ${tool[*]}), ${net} s less its start-up of ${s} s"
  echo "$name: window / p6k.exe = $(ratio "$w" "$t") whole, $(ratio "$w" "$net") less start-up"
}

mkdir -p "$WORK/small" "$WORK/many" "$WORK/large"
for ((i = 0; i < SMALL_FILES; i++)); do head -c "$SMALL_BYTES" /dev/urandom >"$WORK/small/f$i.bin"; done
for ((i = 0; i < MANY_FILES; i++)); do head -c "$MANY_BYTES" /dev/urandom >"$WORK/many/f$i.bin"; done
for ((i = 0; i < LARGE_FILES; i++)); do head -c "${LARGE_MIB}M" /dev/urandom >"$WORK/large/f$i.bin"; done
echo "window benchmark under Wine, $RUNS runs each ($MANY_RUNS for the many files), in $WORK"
measure "$SMALL_FILES files of $SMALL_BYTES bytes" "$WORK/small" "$SMALL_FILES" "$RUNS"
measure "$MANY_FILES files of $MANY_BYTES bytes" "$WORK/many" "$MANY_FILES" "$MANY_RUNS"
measure "$LARGE_FILES files of $LARGE_MIB MiB" "$WORK/large" "$LARGE_FILES" "$RUNS"

# The decryption after an encryption in one window, watched.
if ((SECOND_RUN_FILES > 0)); then
  mkdir -p "$WORK/second"
  for ((i = 0; i < SECOND_RUN_FILES; i++)); do head -c 1024 /dev/urandom >"$WORK/second/f$i.bin"; done
  echo "$SECOND_RUN_FILES files of 1024 bytes, encrypted and then decrypted in one window:"
  open_and_drop "$WORK/second"
  wine "$WIN/bench/window_run.exe" run "$SECOND_RUN_FILES" encrypt >/dev/null
  watched=0
  wine "$WIN/bench/window_run.exe" watch "$SECOND_RUN_FILES" decrypt | tr -d '\r' || watched=1
  wine "$WIN/bench/window_run.exe" close >/dev/null
  wait "$program" || true
  ((watched == 0)) || { echo "the second run was not shown as it worked" >&2; exit 1; }
fi

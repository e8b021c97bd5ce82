#!/usr/bin/env bash
# The password prompt's restore of a large container, and its restore of a
# container against p6k.exe's decryption of the same container, under Wine. sorvan.exe is started with
# the container as the shell starts it, and worked from outside as a user
# works it: the password typed, "解密" pressed; the time runs from the press
# until the success box. Meanwhile another process sends the prompt an empty
# message every 100 ms; the longest wait for an answer is reported (target:
# at most 0.5 s), beside the prompt's time over p6k.exe's (target: at most 1.1).
# p6k.exe is timed as a whole process. Medians of RUNS runs, interleaved. Not part of the tests; run it
# by hand after building:
#
#   bash bench/prompt.sh
#
# p6k.exe decrypts no container over its size limit (1,056 MiB of data), which
# the prompt does not apply, so the two are held against each other on a
# second container of COMPARE_MIB under the limit, each restoring a fresh
# copy of it.
#
# Settings through the environment: RUNS (3), CONTAINER_MIB (2500),
# COMPARE_MIB (1000), BENCH_DIR (a folder on the disk to measure, default
# /var/tmp; it needs room for twice the large container and four times the
# other).
set -euo pipefail
shopt -s inherit_errexit
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
RUNS="${RUNS:-3}"
CONTAINER_MIB="${CONTAINER_MIB:-2500}"
COMPARE_MIB="${COMPARE_MIB:-1000}"
source "$ROOT/scripts/wine-env.sh"
WIN="$ROOT/$(windows_tree)"
echo "The prompt and p6k.exe on $SORVAN_WINE_ARCH: $SORVAN_WINE_ARCH_REASON"
for f in sorvan.exe p6k.exe bench/prompt_run.exe; do
  [[ -f "$WIN/$f" ]] || { echo "no $WIN/$f: build first (bash scripts/build.sh)" >&2; exit 1; }
done

prepare_wine_prefix
[[ -n "${DISPLAY:-}" ]] || start_display
trap stop_wine_and_display EXIT
start_wineserver

WORK="$(mktemp -d "${BENCH_DIR:-/var/tmp}/sorvan-prompt-bench.XXXXXX")"
trap 'stop_wine_and_display; rm -rf "$WORK"' EXIT
export P6K_PASSWORD=bench

now() { echo "$EPOCHREALTIME"; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
winpath() { echo "Z:${1//\//\\}"; }
settle() { sync -f "$WORK"; }

# A fresh copy of a master container in a folder of its own.
fresh_copy() {
  rm -rf "$WORK/run"; mkdir "$WORK/run"
  cp --reflink=auto "$WORK/master/$1.p6k" "$WORK/run/$1.p6k"; settle
}

# Keeps the restored file of one program to hold it against the other's.
keep_restored() {
  [[ -f "$WORK/run/$1.bin" ]] || { echo "$2: nothing restored" >&2; exit 1; }
  [[ ! -e "$WORK/run/$1.p6k" ]] || { echo "$2: the container is still there" >&2; exit 1; }
  mv "$WORK/run/$1.bin" "$WORK/$2-$1.bin"
  rm -rf "$WORK/run"
}

# One restore through the prompt: prints its seconds and the longest wait.
prompt_run() {
  fresh_copy "$1"
  wine "$WIN/sorvan.exe" "$(winpath "$WORK/run/$1.p6k")" >/dev/null 2>&1 &
  local program=$! figures
  figures="$(wine "$WIN/bench/prompt_run.exe" bench | tr -d '\r')"
  wait "$program" || { echo "sorvan.exe ended with a failure" >&2; exit 1; }
  keep_restored "$1" prompt
  echo "$figures"
}

# One decryption by p6k.exe: prints the whole process's seconds.
tool_run() {
  local t0 t1
  fresh_copy "$1"
  t0=$(now)
  wine "$WIN/p6k.exe" decrypt "$(winpath "$WORK/run/$1.p6k")" >/dev/null
  t1=$(now)
  keep_restored "$1" p6k
  elapsed "$t0" "$t1"
}

# A container written here: random data under the layout's trailer for the
# password "bench" (extension "bin"). p6k.exe makes none over its size limit.
make_container() {
  head -c "$(($2 * 1048576 - 21))" /dev/urandom >"$WORK/master/$1.p6k"
  python3 - "$WORK/master/$1.p6k" <<'PY'
import sys
word = 0x6A3D52C4
for b in b"bench":
    word ^= (b | 0x80) if b < 0x80 else (0xFFFFFF00 | b)
key = word & 0xFF
trailer = b"bin".ljust(8, b"\0") + b"love\0qvtormx\0"
with open(sys.argv[1], "ab") as f:
    f.write(bytes(c ^ key for c in trailer))
PY
}

mkdir -p "$WORK/master"
make_container big "$CONTAINER_MIB"
make_container limit "$COMPARE_MIB"
echo "prompt benchmark under Wine, $RUNS runs, containers of $CONTAINER_MIB and $COMPARE_MIB MiB in $WORK"

big=() answer=() prompt=() tool=()
for ((i = 0; i < RUNS; i++)); do
  read -r seconds longest <<<"$(prompt_run big)"
  big+=("$seconds"); answer+=("$longest")
  if ((i % 2 == 1)); then tool+=("$(tool_run limit)"); fi
  read -r seconds longest <<<"$(prompt_run limit)"
  prompt+=("$seconds")
  if ((i % 2 == 0)); then tool+=("$(tool_run limit)"); fi
  rm -f "$WORK/prompt-big.bin"
done
b="$(median "${big[@]}")"; p="$(median "${prompt[@]}")"; t="$(median "${tool[@]}")"
echo "prompt, $CONTAINER_MIB MiB: press to success box ${b} s (runs: ${big[*]}), $(ratio "$b" "$(awk -v m="$CONTAINER_MIB" 'BEGIN { print m / 1024 }')") s a GiB"
echo "prompt, $CONTAINER_MIB MiB: longest wait for an answer during the restore $(median "${answer[@]}") s (runs: ${answer[*]})"
echo "prompt, $COMPARE_MIB MiB: press to success box ${p} s (runs: ${prompt[*]})"
echo "p6k.exe decrypt, $COMPARE_MIB MiB: ${t} s whole (runs: ${tool[*]})"
echo "prompt / p6k.exe on the same $COMPARE_MIB MiB container = $(ratio "$p" "$t")"
cmp -s "$WORK/prompt-limit.bin" "$WORK/p6k-limit.bin" || { echo "the two restored files differ" >&2; exit 1; }
echo "the two restored files are alike, byte for byte"

#!/usr/bin/env bash
# Speed and memory of p6k on one large file, against the floor of a durable
# copy of the same file (dd bs=1M conv=fsync, then removing the source), and
# files per second on many small files. Not part of the tests: run it by hand
# on an idle machine after building (bash scripts/build.sh).
#
#   bash bench/run.sh            # 1 GiB, 5 interleaved runs, 2,000 files of 4 KiB
#
# Settings through the environment: P6K (the binary), BENCH_DIR (a folder on
# the disk to measure, not tmpfs; default /var/tmp), SIZE_MIB, RUNS,
# SMALL_FILES, P6K_PER_FILE (the tool built to make each file durable on its
# own). It needs about four times SIZE_MIB of free space. To measure on a
# fresh journaled ext4: bash bench/on_journaled_ext4.sh bash bench/run.sh
set -euo pipefail
shopt -s inherit_errexit
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
P6K="${P6K:-$ROOT/build/native/p6k}"
PER_FILE="${P6K_PER_FILE:-$ROOT/build/native/bench/p6k_per_file}"
SIZE_MIB="${SIZE_MIB:-1024}"
RUNS="${RUNS:-5}"
SMALL_FILES="${SMALL_FILES:-2000}"
TIME=/usr/bin/time  # GNU time, for the peak resident set

[[ -x "$P6K" ]] || { echo "no $P6K: build first (bash scripts/build.sh)" >&2; exit 1; }
[[ -x "$PER_FILE" ]] || { echo "no $PER_FILE: build first (bash scripts/build.sh)" >&2; exit 1; }
P6K="$(realpath "$P6K")"
PER_FILE="$(realpath "$PER_FILE")"
[[ -x "$TIME" ]] || { echo "no GNU time: apt-get install time" >&2; exit 1; }

WORK="$(mktemp -d "${BENCH_DIR:-/var/tmp}/p6k-bench.XXXXXX")"
trap 'rm -rf "$WORK"' EXIT
cd "$WORK"
export P6K_PASSWORD=bench

now() { echo "$EPOCHREALTIME"; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
# Flushes the file system and commits its journal. On a volume mounted with
# "discard" the blocks of a removed file are trimmed at the next commit, so
# without this a run would pay for the file its predecessor removed.
settle() { sync -f .; }
# A fresh copy with clean pages: every timed command starts from the same state.
fresh_copy() { cp "$1" "$2"; settle; }

# Runs p6k under GNU time; prints the seconds and records the peak resident set.
timed_p6k() {
  local t0 t1
  t0=$(now)
  "$TIME" -v -o rss.txt "$P6K" "$@" >/dev/null
  t1=$(now)
  awk -F': ' '/Maximum resident set size/ { print $2 }' rss.txt >>"rss-$1.txt"
  elapsed "$t0" "$t1"
}

# The file system measured on, and for ext4 whether it keeps a journal: without
# one each new file searches past the inodes freed in the last minute, a cost
# both flush disciplines pay alike (bench/on_journaled_ext4.sh gives one that
# has a journal).
file_system() {
  local source type journal=""
  read -r source type < <(findmnt -n -o SOURCE,FSTYPE --target "$WORK")
  if [[ $type == ext4 ]]; then
    journal=", no journal"
    compgen -G "/proc/fs/jbd2/$(basename "$source")-*" >/dev/null && journal=", journaled"
  fi
  echo "$type on $source$journal"
}

echo "p6k benchmark: $SIZE_MIB MiB file, $RUNS interleaved runs, in $WORK ($(file_system))"
head -c "${SIZE_MIB}M" /dev/urandom >master
cp master sealed.bin
"$P6K" encrypt sealed.bin >/dev/null  # the container every decrypt run starts from
settle

run_floor() {
  local t0 t1
  fresh_copy master src
  t0=$(now)
  dd if=src of=dst bs=1M conv=fsync status=none
  rm src
  t1=$(now)
  floor+=("$(elapsed "$t0" "$t1")")
  rm dst
}
run_encrypt() {
  fresh_copy master data.bin
  encrypt+=("$(timed_p6k encrypt data.bin)")
  rm data.p6k
}
run_decrypt() {
  fresh_copy sealed.p6k data.p6k
  decrypt+=("$(timed_p6k decrypt data.p6k)")
  rm data.bin
}

# Interleaved, and the order turns from one run to the next so that none of
# the three always goes first.
floor=() encrypt=() decrypt=()
order=(run_floor run_encrypt run_decrypt)
for ((i = 0; i < RUNS; i++)); do
  for ((k = 0; k < 3; k++)); do "${order[(i + k) % 3]}"; done
  echo "  run $((i + 1)): floor ${floor[-1]} s, encrypt ${encrypt[-1]} s, decrypt ${decrypt[-1]} s"
done
rm master sealed.p6k
settle

minimum() { printf '%s\n' "$@" | sort -g | head -1; }
f=$(median "${floor[@]}")
e=$(median "${encrypt[@]}")
d=$(median "${decrypt[@]}")
rss_e=$(sort -n rss-encrypt.txt | tail -1)
rss_d=$(sort -n rss-decrypt.txt | tail -1)

# Many small files: the tool as built, which makes outputs durable in groups,
# against the same tool making each file durable on its own (groups of one,
# the per-file discipline), on the same files in the same run, interleaved.
fresh_small() {
  rm -rf small
  mkdir small
  head -c $((SMALL_FILES * 4096)) /dev/urandom >blob
  split -b 4096 -a 5 -d blob small/f
  rm blob
  settle
}
# Seconds for encrypting the folder, then for decrypting it back.
small_run() {
  local t0 t1 t2
  fresh_small
  t0=$(now)
  "$1" encrypt small >/dev/null
  t1=$(now)
  settle
  t2=$(now)
  "$1" decrypt small >/dev/null
  echo "$(elapsed "$t0" "$t1") $(elapsed "$t2" "$(now)")"
}
# Flush calls per file (fsync, fdatasync, syncfs) of one encryption, by strace.
flushes_per_file() {
  command -v strace >/dev/null || { echo "n/a"; return; }
  fresh_small
  strace -f -c -o counts.txt -e trace=fsync,fdatasync,syncfs "$1" encrypt small >/dev/null
  awk -v n="$SMALL_FILES" '$NF ~ /^(fsync|fdatasync|syncfs)$/ { c += $4 }
    END { printf "%.3f", c / n }' counts.txt
}
grouped_e=() grouped_d=() single_e=() single_d=()
for ((i = 0; i < RUNS; i++)); do
  read -r ge gd < <(small_run "$P6K")
  read -r se sd < <(small_run "$PER_FILE")
  grouped_e+=("$ge") grouped_d+=("$gd") single_e+=("$se") single_d+=("$sd")
  echo "  small run $((i + 1)): grouped $ge s + $gd s, per file $se s + $sd s"
done
small_e=$(median "${grouped_e[@]}") small_d=$(median "${grouped_d[@]}")
per_e=$(median "${single_e[@]}") per_d=$(median "${single_d[@]}")
flushes_grouped=$(flushes_per_file "$P6K")
flushes_single=$(flushes_per_file "$PER_FILE")
rm -rf small
rate() { awk -v n="$SMALL_FILES" -v t="$1" 'BEGIN { printf "%.0f", n / t }'; }

cat <<REPORT

Medians of $RUNS runs on a $SIZE_MIB MiB file:
  floor (dd conv=fsync + rm)  $f s                  (fastest $(minimum "${floor[@]}") s)
  encrypt                     $e s   ratio $(ratio "$e" "$f")   (fastest $(minimum "${encrypt[@]}") s; target <= 1.15)
  decrypt                     $d s   ratio $(ratio "$d" "$f")   (fastest $(minimum "${decrypt[@]}") s; target <= 1.15)
Peak resident set (GNU time, largest of all runs):
  encrypt $((rss_e / 1024)) MiB ($rss_e KiB), decrypt $((rss_d / 1024)) MiB ($rss_d KiB)   (target <= 32 MiB)
$SMALL_FILES files of 4 KiB, medians of $RUNS runs, grouped flushes against each file on its own:
  encrypt $(rate "$small_e") files/s ($small_e s) against $(rate "$per_e") files/s ($per_e s)   time ratio $(ratio "$small_e" "$per_e")   (target <= 0.4)
  decrypt $(rate "$small_d") files/s ($small_d s) against $(rate "$per_d") files/s ($per_d s)   time ratio $(ratio "$small_d" "$per_d")   (target <= 0.4)
  flush calls per file (fsync, fdatasync, syncfs; strace): $flushes_grouped grouped, $flushes_single on its own
REPORT

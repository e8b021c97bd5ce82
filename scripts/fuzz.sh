#!/usr/bin/env bash
# Builds the libFuzzer targets (clang) in build/fuzz and runs each for a
# bounded time: FUZZ_SECONDS each (default 30). Longer by hand:
#   FUZZ_SECONDS=3600 bash scripts/fuzz.sh
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SECONDS_EACH="${FUZZ_SECONDS:-30}"

CC=clang CXX=clang++ cmake -S "$ROOT" -B "$ROOT/build/fuzz" -DSORVAN_FUZZ=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$ROOT/build/fuzz" -j "$(nproc)" --target fuzz_trailer fuzz_names fuzz_decrypt >/dev/null

status=0
for target in trailer names decrypt; do
  corpus="$ROOT/build/fuzz/corpus/$target"
  mkdir -p "$corpus"
  log="$ROOT/build/fuzz/fuzz_$target.log"
  if (cd "$ROOT/build/fuzz" && "./tests/fuzz/fuzz_$target" -max_total_time="$SECONDS_EACH" \
        -max_len=4096 -timeout=10 "$corpus" "$ROOT/tests/fuzz/corpus/$target") >"$log" 2>&1; then
    echo "fuzz_$target: $(grep -o 'Done [0-9]* runs' "$log" | tail -1 | cut -d' ' -f2) executions, no failure"
  else
    echo "fuzz_$target: FAILED, see $log" >&2
    tail -30 "$log" >&2
    status=1
  fi
done
exit $status

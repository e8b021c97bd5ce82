#!/usr/bin/env bash
# Runs a GoogleTest program for ctest and tells it about skips. GoogleTest's
# skips pass as far as ctest can see; a group of tests that may skip (no root
# to mount, no Windows build) exits 77, ctest's skip code, when it passed and
# something skipped. A failure stays a failure.
log="$(mktemp)"
"$@" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
if [[ $status -eq 0 ]] && grep -q '^\[  SKIPPED \]' "$log"; then status=77; fi
rm -f "$log"
exit "$status"

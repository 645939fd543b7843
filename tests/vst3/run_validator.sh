#!/usr/bin/env bash
# run_validator.sh VALIDATOR BUNDLE [validator options...]: runs the format
# maker's conformance validator on the bundle and prints its summary line.
# Fails unless it exits with 0 and reports "0 tests failed"; exits 77 (the
# test is skipped) when the validator is not present on this machine.
# VALIDATOR_PRELOAD, when set, is preloaded into the validator alone (a
# sanitizer's runtime, which an instrumented module needs loaded first).
set -u
validator=$1
bundle=$2
shift 2
if [ ! -e "$validator" ]; then
  echo "run_validator: the validator is not present ($validator): not run"
  exit 77
fi
if [ -n "${VALIDATOR_PRELOAD:-}" ]; then
  out=$(LD_PRELOAD="$VALIDATOR_PRELOAD" "$validator" "$@" "$bundle" 2>&1)
else
  out=$("$validator" "$@" "$bundle" 2>&1)
fi
rc=$?
summary=$(printf '%s\n' "$out" | grep -E '^Result: ' | tail -n 1)
echo "validator${*:+ $*} $(basename "$bundle"): ${summary:-no summary line} (exit status $rc)"
if [ "$rc" -ne 0 ] || ! printf '%s\n' "$summary" | grep -q ' 0 tests failed'; then
  printf '%s\n' "$out" | grep -v '^Info:' | tail -n 60
  exit 1
fi

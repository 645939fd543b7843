#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole suite twice:
# once as released (warnings are errors), once under AddressSanitizer and
# UndefinedBehaviorSanitizer. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
jobs=$(nproc)

echo "== release build"
bash scripts/build.sh build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVANE_WERROR=ON
ctest --test-dir build/release --output-on-failure -j"$jobs"

echo "== sanitizer build (ASan + UBSan)"
bash scripts/build.sh build/sanitize -DCMAKE_BUILD_TYPE=Debug -DMORVANE_WERROR=ON \
  -DMORVANE_SANITIZE=ON -DMORVANE_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp \
  ctest --test-dir build/sanitize --output-on-failure -j"$jobs"

echo "== all test runs passed"

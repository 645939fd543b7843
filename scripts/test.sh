#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole suite: as released
# (warnings are errors; with the LV2 bundle through our own host, the LV2
# tools and jalv); cross-built for Windows x86-64 under Wine, with the file
# checks of both DLLs; the release archives written and checked; built for
# 32-bit x86 under qemu-i386; under AddressSanitizer and
# UndefinedBehaviorSanitizer; and under ThreadSanitizer.
# Exits non-zero on any failure.
#
#   test.sh --quick   only the native release build and its suite: the inner
#                     loop while working (CI runs the whole command).
set -euo pipefail
cd "$(dirname "$0")/.."
quick=0
case "${1:-}" in
  --quick) quick=1 ;;
  "") ;;
  *) echo "usage: scripts/test.sh [--quick]" >&2; exit 2 ;;
esac

bash scripts/install-deps.sh
jobs=$(nproc)

# The tests labelled x11 open windows: they run on a virtual display of their
# own, one at a time (they move the one pointer). -noreset keeps the server
# up between tests: by default it resets when its last client leaves.
x11_ctest() {
  xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --test-dir "$1" --output-on-failure -L x11
}

echo "== release build"
bash scripts/build.sh build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVANE_WERROR=ON
ctest --test-dir build/release --output-on-failure -j"$jobs" -LE x11
x11_ctest build/release
if [ "$quick" = 1 ]; then
  echo "== the release suite passed (quick run: no Windows, x86 or sanitizer builds)"
  exit 0
fi

echo "== Windows DLLs (x86-64 suite under Wine, file checks of both)"
bash scripts/test-windows.sh

echo "== release archives (dist/: Linux VST2 and LV2, both Windows DLLs)"
bash scripts/package.sh --no-build
bash scripts/check-package.sh

echo "== 32-bit x86 (suite under qemu-i386)"
bash scripts/test-x86.sh

echo "== sanitizer build (ASan + UBSan)"
bash scripts/build.sh build/sanitize -DCMAKE_BUILD_TYPE=Debug -DMORVANE_WERROR=ON \
  -DMORVANE_SANITIZE=ON -DMORVANE_BENCH=OFF
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp
ctest --test-dir build/sanitize --output-on-failure -j"$jobs" -LE x11
x11_ctest build/sanitize

echo "== ThreadSanitizer build"
unset ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS
bash scripts/build.sh build/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVANE_WERROR=ON -DMORVANE_TSAN=ON \
  -DMORVANE_BENCH=OFF
# Any report fails the test that caused it.
export TSAN_OPTIONS=halt_on_error=1:abort_on_error=1:second_deadlock_stack=1
ctest --test-dir build/tsan --output-on-failure -j"$jobs" -LE x11
x11_ctest build/tsan
unset TSAN_OPTIONS

echo "== all test runs passed"

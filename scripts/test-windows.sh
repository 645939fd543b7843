#!/usr/bin/env bash
# test-windows.sh: builds both DLLs (scripts/build-windows.sh), then
# 1. runs the x86-64 suite, the test host (with the Linux render of the editor
#    it compares its window with; and loading, using and unloading the DLL
#    100 times in one process, counting what the process holds) and the
#    x86-64 DLL's file check under 64-bit Wine, on a virtual X display (Xvfb);
# 2. runs the x86 DLL's file check (its code runs in scripts/test-x86.sh);
# 3. renders the same audio through the x86-64 DLL under Wine and through the
#    Linux library of build/release, and requires the same bytes;
# 4. prints the processing speed the test host measured for the x86-64 DLL
#    under Wine beside the same host's figure for the Linux library, and the
#    figures of its unload cycles.
# Wine's prefix is kept in the cache folder (cmake/wine64-run.sh makes it);
# runs of several builds of one machine take turns on it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
jobs=$(nproc)
cache="${MORVANE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/morvane}"
prefix="${WINEPREFIX:-$cache/wine64}"  # as cmake/wine64-run.sh chooses it
wine=cmake/wine64-run.sh

bash scripts/build-windows.sh
ref=$(bash scripts/render-reference.sh)
# The Linux render of the VST3 bundle's editor session, which the VST3 view
# test compares the bundle's view in its window with.
cmake --build build/release -j"$jobs" --target vst3_editor_reference >/dev/null
build/release/tests/vst3/vst3_editor_reference build/win64/vst3-editor-reference.mvpx
# The Linux render of the editor that the test host compares its window with.
bash scripts/render-editor-reference.sh build/win64/editor-reference.mvpx
for percent in 150 200; do
  bash scripts/render-editor-reference.sh build/win64/editor-reference-$percent.mvpx --scale $percent
done

mkdir -p "$(dirname "$prefix")"
exec 6>"$prefix.run.lock"
flock 6
# The Wine server outlives its last program by a few seconds; it is waited
# for while the display is still there, so the next run starts afresh.
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -u
  rc=0
  ctest --test-dir build/win64 --output-on-failure -j"$1" || rc=1
  "$2" build/win64/tests/vst2/vst2_render.exe build/win64/plugin/Morvane.dll build/win64/render.raw || rc=1
  WINEPREFIX="$3" /usr/lib/wine/wineserver -w
  exit $rc' test-windows "$jobs" "$wine" "$prefix"
flock -u 6

ctest --test-dir build/win32 --output-on-failure

if ! cmp -s "$ref" build/win64/render.raw; then
  echo "test-windows: the x86-64 DLL under Wine renders other samples than the Linux library ($ref)" >&2
  exit 1
fi
echo "test-windows: the x86-64 DLL renders the same bytes as the Linux library ($(sha256sum <"$ref" | cut -c1-16))"

cmake --build build/release -j"$jobs" --target morvane_test_host >/dev/null
build/release/tests/host/morvane_test_host build/release/plugin/Morvane.so \
  --speed-out build/release/host-speed.txt >/dev/null
echo "test-windows: processing speed, x86-64 DLL under Wine: $(cat build/win64/host-speed.txt)"
echo "test-windows: processing speed, Linux library:         $(cat build/release/host-speed.txt)"
sed 's/^/test-windows: x86-64 DLL under Wine: /' build/win64/host-unload-cycles.txt

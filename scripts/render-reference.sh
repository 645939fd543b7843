#!/usr/bin/env bash
# render-reference.sh: renders the fixed programme of audio (tests/vst2/
# render_main.cpp) through the 64-bit Linux library of build/release (built
# as far as needed) and prints the path of the raw output, against which the
# Windows and 32-bit builds are compared.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build/release
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVANE_WERROR=ON >/dev/null
fi
cmake --build "$dir" -j"$(nproc)" --target Morvane vst2_render >/dev/null
"$dir/tests/vst2/vst2_render" "$dir/plugin/Morvane.so" "$dir/render.raw"
echo "$(pwd)/$dir/render.raw"

#!/usr/bin/env bash
# render-editor-reference.sh OUTPUT [PNG]: renders Morvane's editor after the
# test host's session and knob gesture with the Linux off-screen editor of
# build/release (built as far as needed), for the Windows test host to
# compare its editor window with (tests/host).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build/release
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVANE_WERROR=ON >/dev/null
fi
cmake --build "$dir" -j"$(nproc)" --target editor_reference >/dev/null
"$dir/tests/host/editor_reference" "$@"

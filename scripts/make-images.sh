#!/usr/bin/env bash
# make-images.sh: draws the editor's images again into plugin/resources/img.
#
# Builds morvane-imagegen (tools/imagegen) into build/imagegen and runs it.
# The images are committed; the build never makes them, so run this after
# changing the generator and commit the result. The same generator and fonts
# give the same bytes on every run. Review pictures go to
# build/imagegen/preview.png, preview-2x.png and preview-font-4x.png, and
# preview@150*.png and preview@200*.png for the other scales.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

build=build/imagegen
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DMORVANE_TESTS=OFF -DMORVANE_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target morvane-imagegen >/dev/null
"$build/tools/imagegen/morvane-imagegen" --out plugin/resources/img --preview "$build/preview.png"
echo "make-images: wrote plugin/resources/img; previews in $build"

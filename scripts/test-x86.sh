#!/usr/bin/env bash
# test-x86.sh: the x86 DLL's code as a 32-bit x86 Linux build (build/linux32:
# g++ -m32 with the same SSE2 and stack flags, Debian's i386 libraries), run
# under qemu-i386 since the machine refuses 32-bit programs:
# 1. the portable suite, including the adapter tests through the library's
#    VSTPluginMain;
# 2. the same audio rendered through the 32-bit Morvane.so on an emulated
#    processor with AVX2 and on one with SSE2 only must give the same bytes
#    as the 64-bit Linux library of build/release.
set -euo pipefail
root="$(cd "$(dirname "$0")/.."  && pwd)"
cd "$root"
jobs=$(nproc)
dir=build/linux32

mkdir -p "$dir"
if ! { cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-linux-gnu.cmake \
         -DMORVANE_PARTS="framework;bitmap;editor;plugin" -DMORVANE_X11=OFF -DMORVANE_BENCH=OFF -DMORVANE_WERROR=ON "$@" &&
       cmake --build "$dir" -j"$jobs"; } >"$dir/build.log" 2>&1; then
  tail -n 40 "$dir/build.log" >&2
  echo "test-x86: the 32-bit build failed (log: $dir/build.log)" >&2
  exit 1
fi
ctest --test-dir "$dir" --output-on-failure -j"$jobs"

ref=$(bash scripts/render-reference.sh)
for cpu in max Nehalem-v1,-syscall,-lm; do
  # (Nehalem without the 64-bit-only features the emulator warns about.)
  out="$dir/render-${cpu%%,*}.raw"
  qemu-i386 -cpu "$cpu" -L / "$dir/tests/vst2/vst2_render" "$dir/plugin/Morvane.so" "$out"
  if ! cmp -s "$ref" "$out"; then
    echo "test-x86: the 32-bit library on a '${cpu%%,*}' processor renders other samples than the 64-bit one" >&2
    exit 1
  fi
done
echo "test-x86: the 32-bit library renders the same bytes as the 64-bit one ($(sha256sum <"$ref" | cut -c1-16))"

#!/usr/bin/env bash
# check-package.sh: checks the archives scripts/package.sh wrote into dist/.
# For each it lists the contents, requires exactly the expected entries,
# requires every binary and data file inside to be the one just built (the
# built file itself; for the stripped Linux binaries, the built file stripped
# the same way) and the licence texts to be there; the LV2 bundle unpacked
# from the Linux archive must validate and be found by lv2info.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
version=$(sed -n 's/^project(Morvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "check-package: $*" >&2
  failures=$((failures + 1))
}

# same BUILT UNPACKED: the unpacked file is the built one (stripped as
# package.sh strips shared objects).
same() {
  local built=$1 unpacked=$2
  if [[ $built == *.so ]]; then
    strip --strip-unneeded -o "$work/stripped" "$built"
    built=$work/stripped
  fi
  cmp -s "$built" "$unpacked" || fail "$unpacked is not the built $1"
}

# expect_entries LISTING EXPECTED...: the archive holds exactly these paths.
expect_entries() {
  local listing=$1; shift
  local want
  want=$(printf '%s\n' "$@" | LC_ALL=C sort)
  if [ "$(LC_ALL=C sort <<<"$listing")" != "$want" ]; then
    fail "unexpected contents; differences (< in the archive, > expected):"
    diff <(LC_ALL=C sort <<<"$listing") <(echo "$want") >&2 || true
  fi
}

licenses_hold() {
  local dir=$1; shift
  local entry file word
  for entry in "$@"; do
    file=$dir/licenses/${entry%%=*}
    word=${entry#*=}
    [ -s "$file" ] || { fail "$file is missing or empty"; continue; }
    grep -q -- "$word" "$file" || fail "$file does not mention $word"
  done
}

# ---- Linux -----------------------------------------------------------------------------------
name=Morvane-$version-linux-x86_64
archive=dist/$name.tar.gz
echo "== $archive"
tar -tzvf "$archive"
listing=$(tar -tzf "$archive" | sed 's|/$||')
expect_entries "$listing" "$name" "$name/INSTALL.txt" "$name/Morvane.so" "$name/Morvane.lv2" \
  "$name/Morvane.lv2/manifest.ttl" "$name/Morvane.lv2/Morvane.ttl" "$name/Morvane.lv2/Morvane_dsp.so" \
  "$name/Morvane.lv2/Morvane_ui.so" "$name/Morvane.vst3" "$name/Morvane.vst3/Contents" \
  "$name/Morvane.vst3/Contents/x86_64-linux" "$name/Morvane.vst3/Contents/x86_64-linux/Morvane.so" \
  "$name/Morvane.vst3/Contents/Resources" "$name/Morvane.vst3/Contents/Resources/moduleinfo.json" \
  "$name/licenses" "$name/licenses/Inter-font.txt" "$name/licenses/GCC-runtime-libraries.txt"
tar -xzf "$archive" -C "$work"
dir=$work/$name
same build/release/plugin/Morvane.so "$dir/Morvane.so"
for f in manifest.ttl Morvane.ttl Morvane_dsp.so Morvane_ui.so; do
  same "build/release/lv2/Morvane.lv2/$f" "$dir/Morvane.lv2/$f"
done
for f in x86_64-linux/Morvane.so Resources/moduleinfo.json; do
  same "build/release/plugin/Morvane.vst3/Contents/$f" "$dir/Morvane.vst3/Contents/$f"
done
licenses_hold "$dir" "Inter-font.txt=OFL-1.1" "GCC-runtime-libraries.txt=GCC RUNTIME LIBRARY EXCEPTION"
grep -q "Morvane $version" "$dir/INSTALL.txt" || fail "INSTALL.txt does not name version $version"
grep -q "~/.lv2/" "$dir/INSTALL.txt" || fail "INSTALL.txt does not say where LV2 bundles go"
lv2_validate "$dir/Morvane.lv2/manifest.ttl" "$dir/Morvane.lv2/Morvane.ttl" >/dev/null 2>&1 ||
  fail "the unpacked bundle does not validate"
LV2_PATH=$dir lv2info https://bexo.audio/plugins/morvane 2>/dev/null | grep -q "Name:              Morvane" ||
  fail "lv2info does not find the plug-in in the unpacked bundle"

# ---- Windows ---------------------------------------------------------------------------------
for arch in x64:win64 x86:win32; do
  name=Morvane-$version-windows-${arch%%:*}
  archive=dist/$name.zip
  echo "== $archive"
  unzip -l "$archive"
  listing=$(unzip -Z1 "$archive" | sed 's|/$||')
  case ${arch%%:*} in x64) folder=x86_64-win ;; *) folder=x86-win ;; esac
  expect_entries "$listing" "$name" "$name/INSTALL.txt" "$name/Morvane.dll" "$name/Morvane.vst3" \
    "$name/Morvane.vst3/Contents" "$name/Morvane.vst3/Contents/$folder" \
    "$name/Morvane.vst3/Contents/$folder/Morvane.vst3" "$name/Morvane.vst3/Contents/Resources" \
    "$name/Morvane.vst3/Contents/Resources/moduleinfo.json" "$name/licenses" \
    "$name/licenses/Inter-font.txt" "$name/licenses/libpng.txt" "$name/licenses/zlib.txt" \
    "$name/licenses/GCC-runtime-libraries.txt" "$name/licenses/mingw-w64-runtime-and-winpthreads.txt"
  unzip -q "$archive" -d "$work"
  dir=$work/$name
  same "build/${arch#*:}/plugin/Morvane.dll" "$dir/Morvane.dll"
  same "build/${arch#*:}/plugin/Morvane.vst3/Contents/$folder/Morvane.vst3" "$dir/Morvane.vst3/Contents/$folder/Morvane.vst3"
  same build/release/plugin/Morvane.vst3/Contents/Resources/moduleinfo.json \
    "$dir/Morvane.vst3/Contents/Resources/moduleinfo.json"
  licenses_hold "$dir" "Inter-font.txt=OFL-1.1" "libpng.txt=libpng" "zlib.txt=Jean-loup Gailly" \
    "GCC-runtime-libraries.txt=GCC RUNTIME LIBRARY EXCEPTION" "mingw-w64-runtime-and-winpthreads.txt=winpthreads"
  grep -q "Morvane $version" "$dir/INSTALL.txt" || fail "$name/INSTALL.txt does not name version $version"
done

if [ "$failures" -gt 0 ]; then
  echo "check-package: $failures problem(s)" >&2
  exit 1
fi
echo "check-package: the three archives hold the built plug-ins, install texts and licences"

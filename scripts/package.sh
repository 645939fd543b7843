#!/usr/bin/env bash
# package.sh: writes what a user downloads into dist/:
#
#   Morvane-<version>-linux-x86_64.tar.gz   Morvane.so (VST2), Morvane.lv2/ (LV2),
#                                           Morvane.vst3/ (VST3, Contents/x86_64-linux)
#   Morvane-<version>-windows-x64.zip       Morvane.dll (VST2, 64-bit hosts),
#                                           Morvane.vst3/ (VST3, Contents/x86_64-win)
#   Morvane-<version>-windows-x86.zip       Morvane.dll (VST2, 32-bit hosts),
#                                           Morvane.vst3/ (VST3, Contents/x86-win)
# Each VST3 bundle holds the module for its archive's platform and
# Contents/Resources/moduleinfo.json, which the Linux build writes.
#
# Each holds one folder named like the archive, with the plug-ins, INSTALL.txt
# (where hosts look for them) and licenses/ (the texts of what is linked into
# or embedded in them, from Debian's copyright files). The Linux binaries are
# stripped copies of the built ones (their build ids stay); the DLLs are the
# built files. scripts/check-package.sh checks the archives.
#
#   package.sh             builds the release tree and both DLLs first
#   package.sh --no-build  packages what build/release, build/win64 and
#                          build/win32 hold (the test command's builds)
#
# A new plug-in format is one more entry in an archive's payload list below
# (and a line in its install text).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
build=1
case "${1:-}" in
  --no-build) build=0 ;;
  "") ;;
  *) echo "usage: scripts/package.sh [--no-build]" >&2; exit 2 ;;
esac

version=$(sed -n 's/^project(Morvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "package: no version in CMakeLists.txt" >&2; exit 1; }

if [ "$build" = 1 ]; then
  bash scripts/build.sh build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVANE_WERROR=ON
  bash scripts/build-windows.sh
fi

# ---- what each archive holds -------------------------------------------------------------
# Payload entries: "built path=name in the archive" (a file or a folder).
linux_payload=(
  "build/release/plugin/Morvane.so=Morvane.so"
  "build/release/lv2/Morvane.lv2=Morvane.lv2"
  "build/release/plugin/Morvane.vst3=Morvane.vst3"
)
win64_payload=(
  "build/win64/plugin/Morvane.dll=Morvane.dll"
  "build/win64/plugin/Morvane.vst3=Morvane.vst3"
  "build/release/plugin/Morvane.vst3/Contents/Resources=Morvane.vst3/Contents/Resources"
)
win32_payload=(
  "build/win32/plugin/Morvane.dll=Morvane.dll"
  "build/win32/plugin/Morvane.vst3=Morvane.vst3"
  "build/release/plugin/Morvane.vst3/Contents/Resources=Morvane.vst3/Contents/Resources"
)

# Licence entries: "Debian package whose copyright file is copied=file name".
# The Linux binaries take libpng, zlib, FreeType, fontconfig, Xlib and the C
# and C++ runtimes from the system; what they carry is the labels' Inter
# (as images) and the parts of libgcc that every program links in. The DLLs
# carry libpng, zlib, libgcc, libstdc++, the mingw-w64 runtime and
# winpthreads (its copyright file covers both) as well.
linux_licenses=(
  "fonts-inter=Inter-font.txt"
  "libgcc-s1=GCC-runtime-libraries.txt"
)
windows_licenses=(
  "fonts-inter=Inter-font.txt"
  "libpng16-16=libpng.txt"
  "libz-mingw-w64=zlib.txt"
  "gcc-mingw-w64-base=GCC-runtime-libraries.txt"
  "mingw-w64-common=mingw-w64-runtime-and-winpthreads.txt"
)

# A title underlined to its length.
title() {
  echo "$1"
  echo "${1//?/=}"
}

install_linux() {
  title "Morvane $version by Bexo: transient shaper, for Linux on x86-64"
  cat <<EOF

Three plug-in formats; install the one your host loads (or several).

LV2 (Ardour, Qtractor, Audacity, Carla, Zrythm, jalv, ...)
  Copy the whole folder Morvane.lv2 into ~/.lv2/ (for yourself) or into
  /usr/local/lib/lv2/ (for every user), then restart or rescan the host and
  insert "Morvane" by Bexo. The plug-in's URI, which sessions store, is
  https://bexo.audio/plugins/morvane .

VST3 (Ardour, REAPER, Bitwig Studio, Carla, ...)
  Copy the whole folder Morvane.vst3 (not the file inside it) into ~/.vst3/
  (for yourself) or into /usr/local/lib/vst3/ (for every user), rescan, and
  insert "Morvane" by Bexo (Fx|Dynamics).

VST2 (REAPER, Bitwig Studio, Ardour, Carla, ...)
  Copy Morvane.so into ~/.vst/, or into a folder of the host's VST2 path
  (REAPER: Preferences > Plug-ins > VST; Bitwig Studio: Settings > Locations;
  Ardour: Edit > Preferences > Plugins; Carla: Configure > Paths), rescan,
  and insert "Morvane" by Bexo.

All three open the same editor in an X11 window (under Wayland, through
XWayland). They use the system's libpng, zlib, FreeType, fontconfig, Xlib
(libX11, libXext) and C++ runtime, which desktop distributions install.
Presets move between the formats: all store the same program state.

licenses/ holds the licence texts of what the plug-ins carry.
EOF
}

install_windows() {
  local bits=$1
  title "Morvane $version by Bexo: transient shaper, VST3 and VST2 for Windows ($bits)"
  cat <<EOF

VST3: copy the whole folder Morvane.vst3 (not the file inside it) into
C:\\Program Files\\Common Files\\VST3\\ (a 32-bit host on 64-bit Windows looks in
C:\\Program Files (x86)\\Common Files\\VST3\\), rescan, and insert "Morvane" by
Bexo (Fx|Dynamics).

VST2: copy Morvane.dll into the folder your host scans for VST2 plug-ins, for
example C:\\Program Files\\VSTPlugins\\ or C:\\Program Files\\Steinberg\\VSTPlugins\\
(REAPER: Options > Preferences > Plug-ins > VST; Bitwig Studio: Settings >
Locations; Ableton Live: Preferences > Plug-ins; FL Studio: Options > Manage
plugins), rescan, and insert "Morvane" by Bexo.

This archive is for $bits hosts: a 64-bit host needs the windows-x64 archive,
a 32-bit host (or a 32-bit bridge) the windows-x86 one.

The plug-ins need nothing beyond Windows itself: their runtime, libpng and
zlib are inside them. licenses/ holds their licence texts.
EOF
}

# ---- staging and writing -------------------------------------------------------------------
dist="$root/dist"
stage="$root/build/package"
rm -rf "$stage"
mkdir -p "$dist" "$stage"
# The archives' dates: the last commit's, so the same tree gives the same files.
stamp=$(git log -1 --format=%ct 2>/dev/null || date +%s)

# stage NAME PAYLOAD-ARRAY LICENSES-ARRAY INSTALL-FUNCTION [ARGS...]
stage_archive() {
  local name=$1 payload_var=$2 licenses_var=$3; shift 3
  local -n payload=$payload_var
  local -n licenses=$licenses_var
  local dir="$stage/$name"
  mkdir -p "$dir/licenses"
  local entry from to
  for entry in "${payload[@]}"; do
    from=${entry%%=*}
    to=${entry#*=}
    [ -e "$from" ] || { echo "package: $from is missing (build it, or run without --no-build)" >&2; exit 1; }
    cp -R "$from" "$dir/$to"
  done
  # Debugging records are of no use to a user and make the files several
  # times larger; the build id stays, to match a binary with its build.
  find "$dir" -name '*.so' -exec strip --strip-unneeded {} +
  for entry in "${licenses[@]}"; do
    from=/usr/share/doc/${entry%%=*}/copyright
    [ -f "$from" ] || { echo "package: $from is missing (install ${entry%%=*})" >&2; exit 1; }
    cp "$from" "$dir/licenses/${entry#*=}"
  done
  "$@" >"$dir/INSTALL.txt"
  find "$dir" -exec touch -h -d "@$stamp" {} +
}

linux=Morvane-$version-linux-x86_64
win64=Morvane-$version-windows-x64
win32=Morvane-$version-windows-x86
stage_archive "$linux" linux_payload linux_licenses install_linux
stage_archive "$win64" win64_payload windows_licenses install_windows 64-bit
stage_archive "$win32" win32_payload windows_licenses install_windows 32-bit

rm -f "$dist/$linux.tar.gz" "$dist/$win64.zip" "$dist/$win32.zip"
(cd "$stage" && tar --sort=name --owner=0 --group=0 --numeric-owner -cf - "$linux" | gzip -n -9 >"$dist/$linux.tar.gz")
for name in "$win64" "$win32"; do
  (cd "$stage" && find "$name" -print | LC_ALL=C sort | zip -q -X -9 "$dist/$name.zip" -@)
done
for f in "$dist/$linux.tar.gz" "$dist/$win64.zip" "$dist/$win32.zip"; do
  echo "package: $(realpath --relative-to="$root" "$f") ($(stat -c %s "$f") bytes)"
done

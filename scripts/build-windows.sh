#!/usr/bin/env bash
# build-windows.sh: cross-builds Morvane.dll and the VST3 bundle's module for
# x86-64 and x86 with mingw-w64 (the posix-thread compilers) and the test
# suite for x86-64.
#
#   build/win64/plugin/Morvane.dll   x86-64, with the suite (run it under Wine
#                                    with scripts/test-windows.sh)
#   build/win64/plugin/Morvane.vst3/Contents/x86_64-win/Morvane.vst3
#   build/win32/plugin/Morvane.dll   x86, the libraries and their file checks only
#   build/win32/plugin/Morvane.vst3/Contents/x86-win/Morvane.vst3
#
# The dependencies are built once per machine and kept in the cache folder
# ($MORVANE_CACHE, default ~/.cache/morvane): libpng from Debian's source
# package, built static with each cross compiler, and GoogleTest from
# Debian's googletest sources for x86-64. zlib is Debian's libz-mingw-w64-dev.
#
# Extra arguments are passed to both CMake configurations.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cache="${MORVANE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/morvane}"
jobs=$(nproc)
mkdir -p "$cache"

# Several builds of one machine may share the cache: one fills it at a time.
exec 8>"$cache/.lock"
flock 8

log() { echo "build-windows: $*"; }

# Runs a command with its output in a log file, showing the end of the log
# when it fails.
quiet() {
  local logfile=$1; shift
  if ! "$@" >"$logfile" 2>&1; then
    tail -n 40 "$logfile" >&2
    echo "build-windows: failed: $* (log: $logfile)" >&2
    return 1
  fi
}

# The Debian source package of libpng 1.6, unpacked into $cache/src.
#
# apt's source download needs deb-src entries, which a machine usually lacks.
# A private apt configuration is made from the machine's own Debian entries
# (/etc/apt/sources.list and /etc/apt/sources.list.d/*.list and *.sources)
# turned into deb-src entries, with its own state and cache folders, so the
# system's apt set-up is neither read for state nor changed.
fetch_libpng_source() {
  local dir
  dir=$(find "$cache/src" -maxdepth 1 -type d -name 'libpng1.6-1.6.*' -print -quit 2>/dev/null || true)
  if [ -n "$dir" ] && [ -f "$dir/png.h" ]; then
    echo "$dir"
    return
  fi
  local apt="$cache/apt"
  rm -rf "$apt"
  mkdir -p "$apt/sources.list.d" "$apt/state/lists/partial" "$apt/cache/archives/partial" "$cache/src"
  : >"$apt/sources.list"
  local f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    # One-line entries: "deb [options] URI suite components" of Debian's archive.
    awk '$1 == "deb" && /debian/ { $1 = "deb-src"; print }' "$f" >>"$apt/sources.list"
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    # deb822 stanzas: those of Debian's archive, with deb-src as their type.
    awk 'BEGIN { RS = ""; ORS = "\n\n" }
         /URIs:[^\n]*debian/ && /Types:[^\n]*deb/ {
           sub(/Types:[^\n]*/, "Types: deb-src"); print }' "$f" >"$apt/sources.list.d/$(basename "$f")"
  done
  cat >"$apt/apt.conf" <<EOF
Dir::Etc::SourceList "$apt/sources.list";
Dir::Etc::SourceParts "$apt/sources.list.d";
Dir::State "$apt/state";
Dir::State::Lists "$apt/state/lists";
Dir::State::status "/var/lib/dpkg/status";
Dir::Cache "$apt/cache";
Dir::Cache::Archives "$apt/cache/archives";
Debug::NoLocking "false";
APT::Sandbox::User "$(id -un)";
EOF
  log "fetching Debian's libpng1.6 source package" >&2
  quiet "$cache/apt-update.log" env APT_CONFIG="$apt/apt.conf" apt-get update >&2
  # The newest version first; a mirror may lack the files of one version
  # (seen with security updates), so the older ones are tried in turn.
  local versions version
  versions=$(APT_CONFIG="$apt/apt.conf" apt-cache showsrc libpng1.6 | awk '/^Version:/ { print $2 }' | sort -Vru)
  for version in $versions; do
    rm -rf "$cache/src" && mkdir -p "$cache/src"
    if (cd "$cache/src" && env APT_CONFIG="$apt/apt.conf" apt-get source "libpng1.6=$version") \
         >"$cache/apt-source.log" 2>&1; then
      dir=$(find "$cache/src" -maxdepth 1 -type d -name 'libpng1.6-1.6.*' -print -quit)
      if [ -n "$dir" ] && [ -f "$dir/png.h" ]; then
        echo "$version" >"$dir/.debian-version"
        echo "$dir"
        return
      fi
    fi
    log "libpng1.6 $version could not be fetched; trying an older version" >&2
  done
  tail -n 20 "$cache/apt-source.log" >&2
  echo "build-windows: no libpng1.6 source package could be fetched (versions: ${versions:-none})" >&2
  exit 1
}

# A static libpng built with the cross compiler of $1 from the Debian source,
# installed into $cache/$1; rebuilt when the source or the compiler changes.
build_libpng() {
  local triplet=$1 src=$2 prefix="$cache/$1"
  local stamp
  stamp="libpng $(cat "$src/.debian-version") $("$triplet-gcc-posix" --version | head -n 1)"
  if [ -f "$prefix/libpng.stamp" ] && [ "$(cat "$prefix/libpng.stamp")" = "$stamp" ]; then return; fi
  log "building libpng for $triplet"
  rm -rf "$cache/build/libpng-$triplet"
  quiet "$cache/libpng-$triplet.log" cmake -S "$src" -B "$cache/build/libpng-$triplet" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$triplet.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_EXECUTABLES=OFF -DPNG_TESTS=OFF \
    -DZLIB_LIBRARY="/usr/$triplet/lib/libz.a" -DZLIB_INCLUDE_DIR="/usr/$triplet/include"
  quiet "$cache/libpng-$triplet.log" cmake --build "$cache/build/libpng-$triplet" -j"$jobs" --target install
  rm -rf "$cache/build/libpng-$triplet"
  echo "$stamp" >"$prefix/libpng.stamp"
}

# GoogleTest built with the cross compiler of $1 from Debian's googletest
# sources, installed into $cache/$1.
build_gtest() {
  local triplet=$1 src=/usr/src/googletest prefix="$cache/$1"
  local stamp
  stamp="googletest $(dpkg-query -W -f='${Version}' googletest) $("$triplet-g++-posix" --version | head -n 1)"
  if [ -f "$prefix/gtest.stamp" ] && [ "$(cat "$prefix/gtest.stamp")" = "$stamp" ]; then return; fi
  log "building GoogleTest for $triplet"
  rm -rf "$cache/build/gtest-$triplet"
  quiet "$cache/gtest-$triplet.log" cmake -S "$src" -B "$cache/build/gtest-$triplet" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$triplet.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_GMOCK=OFF
  quiet "$cache/gtest-$triplet.log" cmake --build "$cache/build/gtest-$triplet" -j"$jobs" --target install
  rm -rf "$cache/build/gtest-$triplet"
  echo "$stamp" >"$prefix/gtest.stamp"
}

# Configures and builds the project for $1 into $2 with the dependencies of
# the cache; the remaining arguments go to CMake.
build_tree() {
  local triplet=$1 dir=$2; shift 2
  local prefix="$cache/$triplet"
  log "building $dir"
  mkdir -p "$root/$dir"
  quiet "$root/$dir/configure.log" cmake -S "$root" -B "$root/$dir" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$triplet.cmake" \
    -DMORVANE_BENCH=OFF -DMORVANE_WERROR=ON \
    -DPNG_LIBRARY="$prefix/lib/libpng16.a" -DPNG_PNG_INCLUDE_DIR="$prefix/include" \
    -DZLIB_LIBRARY="/usr/$triplet/lib/libz.a" -DZLIB_INCLUDE_DIR="/usr/$triplet/include" \
    -DGTest_DIR="$prefix/lib/cmake/GTest" \
    "$@"
  quiet "$root/$dir/build.log" cmake --build "$root/$dir" -j"$jobs"
}

png_src=$(fetch_libpng_source)
build_libpng x86_64-w64-mingw32 "$png_src"
build_libpng i686-w64-mingw32 "$png_src"
build_gtest x86_64-w64-mingw32
# The cache is complete; the project builds need no lock.
flock -u 8

build_tree x86_64-w64-mingw32 build/win64 "$@"
build_tree i686-w64-mingw32 build/win32 -DMORVANE_PARTS=plugin -DMORVANE_TESTS=OFF "$@"
ls -l "$root/build/win64/plugin/Morvane.dll" "$root/build/win32/plugin/Morvane.dll" \
  "$root/build/win64/plugin/Morvane.vst3/Contents/x86_64-win/Morvane.vst3" \
  "$root/build/win32/plugin/Morvane.vst3/Contents/x86-win/Morvane.vst3" | awk '{ print "build-windows: " $NF " " $5 " bytes" }'

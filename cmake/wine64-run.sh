#!/usr/bin/env bash
# wine64-run.sh PROGRAM.exe [ARGS...]: runs a Windows x86-64 program under
# 64-bit Wine; CTest's emulator for the x86-64 cross build.
#
# The Wine prefix is $WINEPREFIX when set, else a private one made on first
# use and kept: $MORVANE_CACHE/wine64 (default ~/.cache/morvane/wine64).
# Windows that a program opens need an X display: scripts/test-windows.sh
# runs the tests under Xvfb.
set -euo pipefail
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || { echo "wine64-run: $wine is missing (install Debian's wine64)" >&2; exit 1; }

export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko: nothing here needs .NET or HTML, and their installers
# would ask for downloads.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

# A prefix given in WINEPREFIX is used as it is; the private one is made on
# first use (again when a run that was making it stopped half-way).
if [ -z "${WINEPREFIX:-}" ]; then
  cache="${MORVANE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/morvane}"
  export WINEPREFIX="$cache/wine64"
  if [ ! -f "$WINEPREFIX/.morvane-ready" ]; then
    mkdir -p "$cache"
    exec 7>"$WINEPREFIX.lock"
    flock 7
    if [ ! -f "$WINEPREFIX/.morvane-ready" ]; then
      rm -rf "$WINEPREFIX"
      "$wine" wineboot --init >/dev/null 2>&1
      /usr/lib/wine/wineserver -w
      touch "$WINEPREFIX/.morvane-ready"
    fi
    flock -u 7
    exec 7>&-
  fi
fi

exec "$wine" "$@"

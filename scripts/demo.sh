#!/usr/bin/env bash
# demo.sh [--out DIR] [AUDIO-FILE]
#
# Installs what is missing, builds Morvane.so and morvane-host into
# build/demo, and runs audio through the plug-in with four telling settings:
#   attack-boost    "Attack" +100 %: the hits jump out
#   attack-cut      "Attack" -100 %: the hits are softened
#   sustain-cut     "Sustain" -100 %: the decays and the room are tightened
#   linked-stereo   "Attack" +60 %, "Sustain" -50 %, both linked 100 % across the channels
# Without AUDIO-FILE the input is a synthesised drum loop (kick, snare, hats,
# rim click in a small room; 8 s, stereo, 44.1 kHz), written next to the
# results. The WAV files go to DIR (default out/demo, or $MORVANE_DEMO_OUT);
# the script ends with one line per file: peak and RMS level in dBFS.
# It also draws the editor with the linked-stereo settings into DIR/editor.png,
# and at 200 % into DIR/editor-200.png.
set -euo pipefail

usage() { awk 'NR > 1 && /^#/ { sub(/^# ?/, ""); print; next } NR > 1 { exit }' "$0"; }

out="${MORVANE_DEMO_OUT:-}"
input=""
while [ $# -gt 0 ]; do
  case "$1" in
    -h|--help) usage; exit 0 ;;
    --out) [ $# -ge 2 ] || { echo "demo.sh: --out needs a directory" >&2; exit 2; }; out=$2; shift 2 ;;
    --out=*) out=${1#--out=}; shift ;;
    --) shift; [ $# -gt 0 ] && { input=$1; shift; } ;;
    -*) echo "demo.sh: unknown option $1 (demo.sh --help)" >&2; exit 2 ;;
    *)
      [ -z "$input" ] || { echo "demo.sh: give at most one audio file" >&2; exit 2; }
      input=$1; shift ;;
  esac
done

# Paths given by the caller are relative to the caller's directory.
if [ -n "$input" ]; then
  [ -f "$input" ] || { echo "demo.sh: no such file: $input" >&2; exit 1; }
  input="$(cd "$(dirname "$input")" && pwd)/$(basename "$input")"
fi
root="$(cd "$(dirname "$0")/.." && pwd)"
[ -n "$out" ] || out="$root/out/demo"
mkdir -p "$out"
out="$(cd "$out" && pwd)"
cd "$root"

bash scripts/install-deps.sh

build=build/demo
mkdir -p "$build"
echo "demo: building Morvane.so, morvane-host and morvane-render in $build (log: $build/build.log)"
if ! { cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DMORVANE_TESTS=OFF -DMORVANE_BENCH=OFF &&
       cmake --build "$build" -j"$(nproc)" --target Morvane morvane-host morvane-render; } >"$build/build.log" 2>&1; then
  tail -n 30 "$build/build.log" >&2
  echo "demo: the build failed; the full log is $build/build.log" >&2
  exit 1
fi
host="$build/tools/morvane-host/morvane-host"
render="$build/tools/morvane-render/morvane-render"
plugin="$(find "$build" -name Morvane.so -type f -print -quit)"
[ -x "$host" ] && [ -x "$render" ] && [ -n "$plugin" ] ||
  { echo "demo: the build produced no morvane-host, morvane-render or Morvane.so" >&2; exit 1; }

if [ -n "$input" ]; then
  stem="$(basename "${input%.*}")"
  files=("$input")
else
  stem=drumloop
  input="$out/drumloop.wav"
  "$host" drumloop "$input"
  files=("$input")
fi

run() {  # run NAME --set ... : one processed version of the input
  local name=$1; shift
  local result="$out/$stem-$name.wav" messages
  if ! messages=$("$host" process "$plugin" "$input" "$result" "$@" 2>&1 >/dev/null); then
    echo "$messages" >&2
    echo "demo: processing $input ($name) failed" >&2
    exit 1
  fi
  grep -i warning <<<"$messages" >&2 || true
  files+=("$result")
}
echo "demo: processing $input"
run attack-boost  --set "Attack=100"
run attack-cut    --set "Attack=-100"
run sustain-cut   --set "Sustain=-100"
run linked-stereo --set "Attack=60" --set "Attack Link=100" --set "Sustain=-50" --set "Sustain Link=100"

"$render" "$out/editor.png" --set "Attack=60" --set "Attack Link=100" --set "Sustain=-50" --set "Sustain Link=100"
"$render" "$out/editor-200.png" --scale 200 --set "Attack=60" --set "Attack Link=100" --set "Sustain=-50" \
  --set "Sustain Link=100"
echo "demo: the WAV files, editor.png and editor-200.png are in $out"
"$host" stats "${files[@]}"

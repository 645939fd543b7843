#!/usr/bin/env bash
# jalv_test.sh BUNDLE-FOLDER: a real LV2 host, jalv's GTK front end, loads
# Morvane with its UI on a dummy JACK server of its own, runs it for a few
# seconds and is closed as a user closes it. Passes when the UI's window is
# in jalv's window, jalv says nothing of errors, and it exits cleanly. Needs
# an X display (scripts/test.sh runs it under xvfb-run).
set -uo pipefail
folder=$1
uri=https://bexo.audio/plugins/morvane
work=$(mktemp -d)
export JACK_DEFAULT_SERVER=morvane-lv2-test-$$
export LV2_PATH=$folder
# No accessibility bus to look for on a virtual display.
export NO_AT_BRIDGE=1
jack=""
host=""
finish() {
  [ -n "$host" ] && kill "$host" 2>/dev/null
  [ -n "$jack" ] && kill "$jack" 2>/dev/null && wait "$jack" 2>/dev/null
  rm -rf "$work"
}
trap finish EXIT
fail() {
  echo "jalv_test: $*" >&2
  echo "--- jalv's output" >&2
  cat "$work/jalv.log" >&2
  exit 1
}

jackd --no-realtime -d dummy -r 48000 -p 256 >"$work/jackd.log" 2>&1 &
jack=$!
if ! jack_wait -w -t 10 >/dev/null; then
  cat "$work/jackd.log" >&2
  echo "jalv_test: the dummy JACK server did not start" >&2
  exit 1
fi

jalv.gtk3 -c attack=60 -c sustain=-50 "$uri" >"$work/jalv.log" 2>&1 &
host=$!
# The UI's window: the editor's size, inside the window jalv titles "Morvane".
shown=0
for _ in $(seq 50); do
  sleep 0.1
  kill -0 "$host" 2>/dev/null || fail "jalv ended early"
  tree=$(xwininfo -root -tree 2>/dev/null)
  if grep -q '"Morvane"' <<<"$tree" && grep -q '578x299' <<<"$tree"; then
    shown=1
    break
  fi
done
[ "$shown" = 1 ] || fail "no 578 x 299 window of the UI in jalv's window"
sleep 3
kill -0 "$host" 2>/dev/null || fail "jalv ended while running"
kill -INT "$host"
wait "$host"
status=$?
host=""
[ "$status" = 0 ] || fail "jalv exited with $status"
grep -q "^UI: *$uri#ui" "$work/jalv.log" || fail "jalv did not load the plug-in's UI"
if grep -i -E "error|fail|critical|assert" "$work/jalv.log"; then fail "jalv reported a problem"; fi
echo "jalv_test: jalv ran Morvane with its UI for 3 seconds and closed cleanly"

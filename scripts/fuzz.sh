#!/usr/bin/env bash
# fuzz.sh [minutes]: builds the libFuzzer targets with Clang under the address
# and undefined-behaviour sanitizers, then runs each for that many minutes
# (default 1; 0 runs each for ten seconds), one after the other. Each keeps
# its corpus in build/fuzz/corpus/<target>, grown from the committed seeds; a
# failing input is saved as build/fuzz/crashes/<target>-crash-... and the
# script exits non-zero. Prints per target the executions and the coverage
# gained.
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-1}
seconds=$((minutes * 60))
[ "$seconds" -gt 0 ] || seconds=10  # libFuzzer takes 0 as no limit
dir=build/fuzz

bash scripts/install-deps.sh fuzz
# Every library is built with libFuzzer's coverage counters, so that inputs
# reaching new code in them count as new coverage.
cmake -S . -B "$dir" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_C_FLAGS=-fsanitize=fuzzer-no-link -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVANE_SANITIZE=ON -DMORVANE_BENCH=OFF >/dev/null

# target, binary, seed folder or files
targets=(
  "bitmap_png_fuzz fuzz/bitmap tests/bitmap/resources"
  "vst2_chunk_fuzz fuzz/vst2 fuzz/vst2/seeds/chunk"
  "vst2_dispatcher_fuzz fuzz/vst2 fuzz/vst2/seeds/dispatcher"
  "vst2_host_sequence_fuzz fuzz/vst2 fuzz/vst2/seeds/host_sequence"
)
names=()
for t in "${targets[@]}"; do names+=("${t%% *}"); done
cmake --build "$dir" -j"$(nproc)" --target "${names[@]}"

status=0
mkdir -p "$dir/crashes"
for t in "${targets[@]}"; do
  read -r name sub seeds <<<"$t"
  corpus="$dir/corpus/$name"
  log="$dir/$name.log"
  mkdir -p "$corpus"
  echo "== $name: $seconds seconds"
  # libpng's warnings about damaged input would fill the log.
  if ! ASAN_OPTIONS=detect_leaks=1 "$dir/$sub/$name" -max_total_time=$seconds -timeout=10 \
      -print_final_stats=1 -artifact_prefix="$dir/crashes/$name-" "$corpus" "$seeds" 2>&1 |
      grep -av '^libpng ' >"$log"; then
    echo "$name FAILED; the end of $log:"
    tail -n 40 "$log"
    status=1
    continue
  fi
  # libFuzzer's status lines: "#<runs><tab>INITED cov: <edges> ft: <features> corp: <inputs>/..."
  # once the seeds are read, then "#<runs><tab><event> cov: ... corp: ..." as it goes.
  start=$(grep -m1 -E '^#[0-9]+\sINITED' "$log" | sed -n 's/.* cov: \([0-9]*\).*/\1/p' || true)
  last=$(grep -E '^#[0-9]+\s' "$log" | tail -n 1 || true)
  end=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  features=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  inputs=$(sed -n 's/.* corp: \([0-9]*\).*/\1/p' <<<"$last")
  runs=$(sed -n 's/^stat::number_of_executed_units: *\([0-9]*\)/\1/p' "$log")
  echo "$name: ${runs:-?} executions; coverage ${start:-?} -> ${end:-?} edges" \
       "(+$(( ${end:-0} - ${start:-0} )) new), ${features:-?} features, corpus ${inputs:-?} inputs"
done
exit $status

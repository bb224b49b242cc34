#!/usr/bin/env bash
# Runs every fuzz harness under libFuzzer.
#   fuzz.sh BUILD SECONDS   each for SECONDS (make fuzz FUZZ_SECONDS=N); new inputs collect in
#                           BUILD/corpus/<harness> and are searched on from there next time.
#   fuzz.sh BUILD --fixed   each for its fixed number of runs from a fixed seed, starting from
#                           the project's corpus alone (make test): the same inputs on every
#                           run, a few seconds each, so that a property the code no longer
#                           keeps fails the tests rather than waiting for the next long search.
# An input that breaks a harness lands in BUILD/crashes/<harness>/ and belongs, once fixed,
# in tests/fuzz/corpus/<harness>/ as a regression file.
set -uo pipefail
build=$(mkdir -p "${1:?build folder}" && cd "$1" && pwd)  # absolute: a harness may change folder
mode=${2:-60}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
status=0
# Addresses that differ from run to run (ASLR) change what the sanitizers' allocators and
# hash tables do, and with them the coverage: the fixed runs go without it where they can.
same_addresses=(setarch "$(uname -m)" -R)
"${same_addresses[@]}" true 2>/dev/null || same_addresses=()
# harness, the longest input, runs when fixed (about three seconds each on one core).
while read -r harness max_len runs; do
  mkdir -p "$build/crashes/$harness"
  log="$build/crashes/$harness.log"
  if [ "$mode" = --fixed ]; then
    # A fresh folder takes the inputs found, so that the start is the same every time.
    found="$build/fixed-runs/$harness"
    rm -rf "$found" && mkdir -p "$found"
    echo "== $harness: $runs runs"
    limit=(-runs="$runs" -seed=1 -reload=0)
    run=("${same_addresses[@]}")
  else
    found="$build/corpus/$harness"
    mkdir -p "$found"
    echo "== $harness: $mode s"
    limit=(-max_total_time="$mode")
    run=()
  fi
  if ! "${run[@]}" "$build/tests/fuzz/$harness" "${limit[@]}" -max_len="$max_len" \
         -print_final_stats=1 -artifact_prefix="$build/crashes/$harness/" \
         "$found" "$source_dir/tests/fuzz/corpus/$harness" > "$log" 2>&1; then
    echo "   FAILED: see $log"
    grep -m3 -E 'property broken|ERROR|runtime error' "$log" | sed 's/^/   /'
    grep -m1 -E 'Test unit written to' "$log" | sed 's/^/   /'
    status=1
  fi
  grep -E 'stat::number_of_executed_units|stat::new_units_added' "$log" | sed 's/^/   /'
done <<'HARNESSES'
pushpin_fuzz 70000 2000
asc_overlay_fuzz 70000 2000
offsets_fuzz 4096 6000
config_fuzz 4096 20000
numbers_fuzz 4096 200000
dialog_sections_fuzz 4096 80000
argument_walk_fuzz 4096 30000
ov2_reader_fuzz 4096 200000
csv_fuzz 4096 100000
gpx_fuzz 4096 12000
f10_5_fuzz 4096 100000
HARNESSES
exit $status

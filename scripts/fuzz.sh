#!/usr/bin/env bash
# Runs every fuzz harness for SECONDS each (make fuzz FUZZ_SECONDS=N). New inputs collect
# in BUILD/corpus/<harness>; an input that breaks a harness lands in BUILD/crashes/<harness>/
# and belongs, once fixed, in tests/fuzz/corpus/<harness>/ as a regression file.
set -uo pipefail
build=$(mkdir -p "${1:?build folder}" && cd "$1" && pwd)  # absolute: a harness may change folder
seconds=${2:-60}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
status=0
for harness in pushpin_fuzz asc_overlay_fuzz offsets_fuzz config_fuzz numbers_fuzz \
               dialog_sections_fuzz argument_walk_fuzz ov2_reader_fuzz csv_fuzz gpx_fuzz f10_5_fuzz; do
  # The file readers stream through buffers of 32 KiB: give them inputs that cross one.
  case $harness in
    pushpin_fuzz|asc_overlay_fuzz) max_len=70000 ;;
    *) max_len=4096 ;;
  esac
  mkdir -p "$build/corpus/$harness" "$build/crashes/$harness"
  echo "== $harness: $seconds s"
  if ! "$build/tests/fuzz/$harness" -max_total_time="$seconds" -max_len="$max_len" \
         -print_final_stats=1 -artifact_prefix="$build/crashes/$harness/" \
         "$build/corpus/$harness" "$source_dir/tests/fuzz/corpus/$harness" \
         > "$build/crashes/$harness.log" 2>&1; then
    echo "   FAILED: see $build/crashes/$harness.log"
    grep -m3 -E 'property broken|ERROR|runtime error' "$build/crashes/$harness.log" | sed 's/^/   /'
    status=1
  fi
  grep -E 'stat::number_of_executed_units|stat::new_units_added' "$build/crashes/$harness.log" | sed 's/^/   /'
done
exit $status

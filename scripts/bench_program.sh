#!/usr/bin/env bash
# The program's own File > Save of a large pushpin file under Wine, timed as a person
# sees it: from the Ctrl+S key press until the overlay has taken its place, with the
# moment the ".asc" file appeared on the way. Needs an X display (scripts/with-display.sh).
#   scripts/bench_program.sh PSP [RUNS]
# Prints "asc_seconds ov2_seconds" per run, the best run last as "best ...".
QH_CASE=bench_program
source "$(dirname "$0")/../tests/e2e/lib.sh"
psp=${1:?pushpin file}
runs=${2:-3}
qh_setup
cp "$psp" "$QH_WORK/data/bench.psp"
asc=$QH_WORK/data/bench.asc
ov2=$QH_WORK/data/bench.ov2
qh_start
main=$(qh_wait_window "$QH_TITLE" 90) || qh_fail "the main window did not appear"
qh_open_dialog "$main" "Open File" ctrl+o
qh_choose_file "Open File" "$QH_WORK/data/bench.psp"

# Nanoseconds since the epoch.
now() { date +%s%N; }
best_asc="" best_ov2=""
for run in $(seq 1 "$runs"); do
  rm -f "$asc" "$ov2" "$QH_WORK/data/bench.bmp"
  xdotool windowfocus --sync "$main" 2>/dev/null || xdotool windowfocus "$main"
  sleep 0.5
  start=$(now)
  xdotool key --delay 0 ctrl+s
  asc_at="" ov2_at=""
  limit=$((SECONDS + 120))
  # Both files appear by a rename, complete: their existence is the moment.
  while [ -z "$ov2_at" ] && [ $SECONDS -lt $limit ]; do
    [ -z "$asc_at" ] && [ -f "$asc" ] && asc_at=$(now)
    [ -f "$ov2" ] && ov2_at=$(now)
    sleep 0.005
  done
  [ -n "$ov2_at" ] || qh_fail "no overlay within 120 s of Ctrl+S"
  [ -n "$asc_at" ] || asc_at=$ov2_at
  asc_s=$(awk -v a="$asc_at" -v s="$start" 'BEGIN { printf "%.3f", (a - s) / 1e9 }')
  ov2_s=$(awk -v a="$ov2_at" -v s="$start" 'BEGIN { printf "%.3f", (a - s) / 1e9 }')
  echo "run $run: $asc_s $ov2_s"
  if [ -z "$best_ov2" ] || awk -v a="$ov2_s" -v b="$best_ov2" 'BEGIN { exit !(a < b) }'; then
    best_asc=$asc_s best_ov2=$ov2_s
  fi
  # Let the report finish before the next run.
  sleep 1
done
echo "best $best_asc $best_ov2"

#!/usr/bin/env bash
# Benchmark: psp2ov2 against GPSBabel on the same million points.
# Generates a pushpin file, times psp2ov2 (pushpin -> .asc + .ov2), then GPSBabel
# turning that .asc into an .ov2, and prints both times, the ratio and the peak memory.
#   scripts/bench.sh [PINS]      (BUILD=folder of the native build, default build/native)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build/native}
pins=${1:-1000000}
bin=$build/bin
for tool in psp2ov2 make_pushpins; do
  [ -x "$bin/$tool" ] || { echo "bench: $bin/$tool is missing; build the native tree first" >&2; exit 2; }
done
command -v gpsbabel >/dev/null || { echo "bench: gpsbabel is not installed" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "bench: /usr/bin/time is not installed" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/qh-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Prints "seconds peak_kib" from the report of /usr/bin/time -v.
measure() {
  local report=$1
  awk -F': ' '
    /Elapsed \(wall clock\)/ { n = split($2, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i]; secs = s }
    /Maximum resident set size/ { kib = $2 }
    END { printf "%.3f %d\n", secs, kib }' "$report"
}

"$bin/make_pushpins" "$work/bench.psp" "$pins"
echo "pins:      $pins ($(du -h "$work/bench.psp" | cut -f1) pushpin file)"

/usr/bin/time -v -o "$work/psp2ov2.time" "$bin/psp2ov2" -q "$work/bench.psp"
read -r ours_s ours_kib < <(measure "$work/psp2ov2.time")
points=$(wc -l < "$work/bench.asc")

/usr/bin/time -v -o "$work/gpsbabel.time" \
  gpsbabel -i tomtom_asc -f "$work/bench.asc" -o tomtom -F "$work/gpsbabel.ov2"
read -r theirs_s theirs_kib < <(measure "$work/gpsbabel.time")

ratio=$(awk -v a="$theirs_s" -v b="$ours_s" 'BEGIN { if (b <= 0) b = 0.001; printf "%.1f", a / b }')
printf 'psp2ov2:   %8.3f s  peak %6.1f MiB  (.asc %s lines, .ov2 %s bytes)\n' \
  "$ours_s" "$(awk -v k="$ours_kib" 'BEGIN { print k / 1024 }')" "$points" \
  "$(stat -c %s "$work/bench.ov2")"
printf 'gpsbabel:  %8.3f s  peak %6.1f MiB  (.asc -> .ov2 only)\n' \
  "$theirs_s" "$(awk -v k="$theirs_kib" 'BEGIN { print k / 1024 }')"
echo "ratio:     psp2ov2 is ${ratio}x faster (target: at least 20x; peak memory target: under 64 MiB)"

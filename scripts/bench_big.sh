#!/usr/bin/env bash
# Memory at any size: psp2ov2 on pushpin files of 1, 10 and 50 million pins (or the
# millions given), each under /usr/bin/time -v, with its seconds and peak memory. The
# inputs are made once in build/bench-big/ and kept for the next run; the outputs are
# removed after each run. A size whose input and outputs do not fit the free space of
# the disk is passed over.
#   scripts/bench_big.sh [MILLIONS...]   (BUILD=folder of the native build, default build/native)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build/native}
bin=$build/bin
for tool in psp2ov2 make_pushpins; do
  [ -x "$bin/$tool" ] || { echo "bench-big: $bin/$tool is missing; build the native tree first" >&2; exit 2; }
done
[ -x /usr/bin/time ] || { echo "bench-big: /usr/bin/time is not installed" >&2; exit 2; }
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1 10 50)

work=$root/build/bench-big
mkdir -p "$work"
trap 'rm -f "$work"/big.asc "$work"/big.ov2 "$work"/big.bmp "$work"/big.time' EXIT

# Bytes a million pins take on the disk: the pushpin file (52 MB), the .asc file
# (36 MB), the overlay (27 MB) and the index's temporary files (about twice the overlay).
per_million=$(( (52 + 36 + 27 * 3) * 1000 * 1000 ))
echo "uptime: $(uptime)"
printf '%10s %10s %10s %12s\n' pins seconds 'peak MiB' '.ov2 bytes'
for millions in "${sizes[@]}"; do
  pins=$(( millions * 1000000 ))
  psp=$work/pins-${millions}m.psp
  free=$(( $(df --output=avail -B1 "$work" | tail -1) ))
  have=0
  [ -f "$psp" ] && have=$(stat -c %s "$psp")
  if [ $(( millions * per_million - have )) -gt "$free" ]; then
    printf '%10s passed over: about %d MB needed, %d MB free\n' "$pins" \
      $(( (millions * per_million - have) >> 20 )) $(( free >> 20 ))
    continue
  fi
  [ -f "$psp" ] || "$bin/make_pushpins" "$psp" "$pins"
  /usr/bin/time -v -o "$work/big.time" "$bin/psp2ov2" -q -o "$work/big.ov2" "$psp"
  read -r secs kib < <(awk -F': ' '
    /Elapsed \(wall clock\)/ { n = split($2, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i]; secs = s }
    /Maximum resident set size/ { kib = $2 }
    END { printf "%.2f %d\n", secs, kib }' "$work/big.time")
  printf '%10s %10s %10.1f %12s\n' "$pins" "$secs" "$(awk -v k="$kib" 'BEGIN { print k / 1024 }')" \
    "$(stat -c %s "$work/big.ov2")"
  rm -f "$work"/big.asc "$work"/big.ov2 "$work"/big.bmp
done

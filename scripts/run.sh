#!/usr/bin/env bash
# `make run`: starts Quillhaven.exe from its program folder (build/win/program, laid out
# by the Windows build: the program, MakeOV2_v1-1.exe and default_symbol.bmp) under Wine.
#
# On a display, the program runs there until the user quits it. Without one, it is
# started on a private Xvfb: the script waits for its main window, saves a screenshot
# to build/screenshots/run.png and closes the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program_dir=${QH_PROGRAM_DIR:-$root/build/win/program}
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
export WINEDEBUG=-all
title="Pushpin to OV2 conversion"

if [ ! -f "$program_dir/Quillhaven.exe" ]; then
  echo "run.sh: $program_dir/Quillhaven.exe is missing; build it with 'make win'" >&2
  exit 1
fi
for f in MakeOV2_v1-1.exe default_symbol.bmp; do
  [ -f "$program_dir/$f" ] || echo "run.sh: note: $program_dir/$f is missing" >&2
done

if [ -z "${QH_RUN_INNER:-}" ] && [ -z "${QH_RUN_HEADLESS:-}" ] &&
   [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  # A person is at the display: run in the foreground until they quit.
  exec "$root/scripts/wine-run.sh" "$program_dir/Quillhaven.exe"
fi

# No display (or QH_RUN_HEADLESS set): a private Xvfb, a screenshot, then close.
if [ -z "${QH_RUN_INNER:-}" ]; then
  unset DISPLAY
  QH_RUN_INNER=1 exec "$root/scripts/with-display.sh" "$0" "$@"
fi

shots=$root/build/screenshots
mkdir -p "$shots"
"$root/scripts/wine-run.sh" "$program_dir/Quillhaven.exe" &
pid=$!
stop() { kill "$pid" 2>/dev/null || true; }
trap stop EXIT

window=""
for _ in $(seq 1 450); do  # 90 s: the first start of a Wine prefix is slow
  window=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -1 || true)
  [ -n "$window" ] && break
  kill -0 "$pid" 2>/dev/null || { echo "run.sh: the program ended before its window appeared" >&2; exit 1; }
  sleep 0.2
done
if [ -z "$window" ]; then
  echo "run.sh: no window '$title' within 90 s" >&2
  import -window root "$shots/run.png" || true
  exit 1
fi
sleep 1  # let the toolbar and status bar finish painting
import -window root "$shots/run.png"
echo "run.sh: the window '$title' is up; screenshot in $shots/run.png"

# Close it as a person would: the close request (Alt+F4) to the focused frame.
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key alt+F4
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || { trap - EXIT; echo "run.sh: closed"; exit 0; }
  sleep 0.2
done
echo "run.sh: the program did not end after the close request; stopping it" >&2
exit 1

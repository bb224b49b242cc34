#!/usr/bin/env bash
# Runs a command with an X display: the current one, or a private Xvfb started for it.
set -euo pipefail
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then exec "$@"; fi
for n in $(seq 90 140); do
  [ -e /tmp/.X$n-lock ] || { disp=:$n; break; }
done
Xvfb "$disp" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xpid=$!
trap 'kill $xpid 2>/dev/null || true' EXIT
for _ in $(seq 1 100); do DISPLAY=$disp xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
DISPLAY=$disp "$@"

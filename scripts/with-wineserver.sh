#!/usr/bin/env bash
# Runs a command with the project's Wine prefix served, all the while, by one wineserver
# and one set of Wine's own services. Otherwise each Windows program of a test may be
# the one that starts them: it then takes seconds longer, and the services it leaves
# running hold its output pipes open until the last program of the prefix has ended.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/../build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
# The prefix is made the first time (wine-run.sh); the server of that goes before ours,
# and one that would not go by itself (a persistent one left running) is ended.
"$here/wine-run.sh" wineboot </dev/null >/dev/null 2>&1 || true
timeout 30 wineserver -w || wineserver -k
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
"$here/wine-run.sh" wineboot </dev/null >/dev/null 2>&1 || true
"$@"

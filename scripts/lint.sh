#!/usr/bin/env bash
# Runs the checks of .clang-tidy over the production sources of a configured native
# build (its compile_commands.json); any finding fails. Usage: lint.sh BUILD_DIR [JOBS]
set -euo pipefail

build=${1:?usage: lint.sh BUILD_DIR [JOBS]}
jobs=${2:-2}
root=$(cd "$(dirname "$0")/.." && pwd)
if ! command -v run-clang-tidy >/dev/null; then
  echo "lint: clang-tidy is not installed (scripts/setup.sh installs it)" >&2
  exit 1
fi
# The layers' own files; the tests, the generated data and the benchmark's generator
# are left to the compiler's warnings.
# gcc's own options (-Wno-restrict) are unknown to clang: not a finding.
status=0
run-clang-tidy -quiet -p "$build" -j "$jobs" -extra-arg=-Wno-unknown-warning-option \
  "^$root/(numeric|files|formats|overlay|converter|services|tools)/.*\.cpp$" > "$build/lint.log" 2>&1 || status=$?
grep -v -e '^[0-9]* warnings\? generated' -e '^Suppressed' -e '^Use -header-filter' \
        -e '^clang-tidy-14 ' -e '^$' "$build/lint.log" || true
exit "$status"

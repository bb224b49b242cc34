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
run-clang-tidy -quiet -p "$build" -j "$jobs" \
  "^$root/(numeric|formats|converter|services|tools)/.*\.cpp$" 2>&1 |
  grep -v -e '^[0-9]* warnings\? generated' -e '^Suppressed' -e '^Use -header-filter' \
           -e '^clang-tidy-14 ' -e '^$' || true
exit "${PIPESTATUS[0]}"

#!/usr/bin/env bash
# Runs the checks of .clang-tidy over the production sources of a configured native
# build (its compile_commands.json), and, given the cross build too, over the Windows
# halves and the Win32 services from that build's; any finding fails.
# Usage: lint.sh NATIVE_BUILD [JOBS [WINDOWS_BUILD]]
set -euo pipefail

build=${1:?usage: lint.sh NATIVE_BUILD [JOBS [WINDOWS_BUILD]]}
jobs=${2:-2}
windows=${3:-}
root=$(cd "$(dirname "$0")/.." && pwd)
if ! command -v run-clang-tidy >/dev/null; then
  echo "lint: clang-tidy is not installed (scripts/setup.sh installs it)" >&2
  exit 1
fi
layers="(numeric|files|formats|overlay|converter|services|tools)"

# Prints what a run found, without clang-tidy's own chatter.
findings() {
  grep -v -e '^[0-9]* warnings\? generated' -e '^Suppressed' -e '^Use -header-filter' \
          -e '^clang-tidy-14 ' -e '^$' "$1" || true
}

# The layers' own files; the tests, the generated data and the benchmark's generator
# are left to the compiler's warnings. gcc's own options (-Wno-restrict) are unknown to
# clang: not a finding.
status=0
run-clang-tidy -quiet -p "$build" -j "$jobs" -extra-arg=-Wno-unknown-warning-option \
  "^$root/$layers/.*\.cpp$" > "$build/lint.log" 2>&1 || status=$?
findings "$build/lint.log"

if [ -n "$windows" ]; then
  # clang reads the cross build's sources as MinGW's compiler does: its target, and the
  # C++ library and Windows headers of the cross compiler (not gcc's own intrinsics,
  # which clang has its own of). Warnings stay the compiler's, as in the native pass.
  includes=()
  while read -r folder; do
    includes+=("-extra-arg=-isystem$folder")
  done < <(i686-w64-mingw32-g++-posix -xc++ -E -v /dev/null 2>&1 |
           sed -n '/#include <...> search starts here:/,/End of search list./p' |
           grep '^ ' | sed 's/^ *//' | grep -v -E '/gcc/i686-w64-mingw32/[^/]+/include(-fixed)?$' || true)
  run-clang-tidy -quiet -p "$windows" -j "$jobs" -extra-arg=--target=i686-w64-mingw32 \
    -extra-arg=-Wno-unknown-warning-option -extra-arg=-Wno-error "${includes[@]}" \
    "^$root/($layers/.*_win\.cpp|services/win32/.*\.cpp)$" > "$windows/lint.log" 2>&1 || status=$?
  findings "$windows/lint.log"
fi
exit "$status"

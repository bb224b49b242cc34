#!/usr/bin/env bash
# Installs, only when missing, every Debian package the build and the tests need.
# Safe to run again: it does nothing when everything is already there.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

packages=(cmake make g++ googletest g++-mingw-w64-i686 mingw-w64-i686-dev
          wine wine32:i386 xvfb xdotool imagemagick gpsbabel time x11-utils
          dpkg-dev man-db clang clang-tidy libclang-rt-14-dev libexpat1-dev)
for p in "${packages[@]}"; do have "$p" || need+=("$p"); done
[ ${#need[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
retry_seconds=${QH_SETUP_RETRY_SECONDS:-15}
# A mirror in the middle of a sync can fail one index for a while: try again,
# then go on with what the other indexes give.
updated=yes
for attempt in 1 2 3; do
  $sudo apt-get update -qq && { updated=yes; break; }
  updated=no
  echo "setup: apt-get update failed (attempt $attempt of 3)" >&2
  [ "$attempt" -lt 3 ] && sleep "$retry_seconds"
done

install() { $sudo apt-get install -y -qq --no-install-recommends "$@" "${need[@]}"; }
first_words=$(mktemp)
trap 'rm -f "$first_words"' EXIT
install 2>"$first_words" && exit 0

# Without one architecture's index of the security suite, apt cannot match wine32's
# libraries to the newer amd64 ones that suite offers, and nothing installs. The
# release's main suite as the default release resolves it; every index it uses is
# still one apt verified against its signed release file.
codename=$(. "${QH_OS_RELEASE:-/etc/os-release}" && echo "${VERSION_CODENAME:-}")
if [ -z "$codename" ]; then
  cat "$first_words" >&2
  exit 1
fi
if [ "$updated" = no ]; then
  echo "setup: the security suite's index could not be read: installing from the main release" >&2
else
  echo "setup: the install failed: trying once more from the main release ($codename)" >&2
fi
if ! install -t "$codename"; then
  echo "setup: the first attempt said:" >&2
  cat "$first_words" >&2
  exit 1
fi

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
# A mirror in the middle of a sync can fail one index for a while: try again,
# then go on with what the other indexes give; the install says if that is not enough.
for attempt in 1 2 3; do
  $sudo apt-get update -qq && break
  echo "setup: apt-get update failed (attempt $attempt of 3)" >&2
  [ "$attempt" -lt 3 ] && sleep 15
done
$sudo apt-get install -y -qq --no-install-recommends "${need[@]}"

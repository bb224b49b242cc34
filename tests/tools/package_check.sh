#!/usr/bin/env bash
# The Debian package of the tools, as a user gets it: built with cpack, unpacked into
# an empty root, and used from there. psp2ov2 converts a pushpin file with the icon
# the package installs, makeov2 and ov2 make the same overlay, and the manual pages render.
#   package_check.sh BUILD_DIR SAMPLE_PSP
set -euo pipefail
build=$1
sample=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/packages" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log" >&2; fail "cpack could not build the package"; }
deb=$(ls "$work"/packages/*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || fail "no .deb in $work/packages"
info=$(dpkg-deb --info "$deb")  # whole, so that grep -q cannot cut the pipe
grep -q "Package: quillhaven-tools" <<<"$info" || fail "the package has another name"
mkdir "$work/root"
dpkg-deb -x "$deb" "$work/root"
root=$work/root/usr
for f in bin/psp2ov2 bin/makeov2 bin/ov2 share/quillhaven/default_symbol.bmp \
         share/man/man1/psp2ov2.1 share/man/man1/makeov2.1 share/man/man1/ov2.1; do
  [ -f "$root/$f" ] || fail "the package has no $f"
done

# An icon of the user's own in the installed place, to tell it from the built-in one.
cp "$root/share/quillhaven/default_symbol.bmp" "$work/installed.bmp"
printf 'replaced by the user' >>"$root/share/quillhaven/default_symbol.bmp"

mkdir "$work/data"
cp "$sample" "$work/data/trip.psp"
"$root/bin/psp2ov2" -q "$work/data/trip.psp" || fail "psp2ov2 from the package failed"
for ext in asc ov2 bmp; do
  [ -s "$work/data/trip.$ext" ] || fail "psp2ov2 from the package wrote no trip.$ext"
done
# No icon beside the input or the tool: the one in share/quillhaven/ is copied.
cmp -s "$root/share/quillhaven/default_symbol.bmp" "$work/data/trip.bmp" ||
  fail "trip.bmp is not the installed default_symbol.bmp"
cp "$work/data/trip.asc" "$work/data/again.asc"
"$root/bin/makeov2" "$work/data/again.asc" || fail "makeov2 from the package failed"
cmp -s "$work/data/trip.ov2" "$work/data/again.ov2" || fail "makeov2 and psp2ov2 made different overlays"
"$root/bin/ov2" make "$work/data/trip.psp" -o "$work/data/made.ov2" >/dev/null ||
  fail "ov2 make from the package failed"
cmp -s "$work/data/trip.ov2" "$work/data/made.ov2" || fail "ov2 make and psp2ov2 made different overlays"
"$root/bin/ov2" check "$work/data/made.ov2" >/dev/null || fail "ov2 check refused the overlay"
version=$("$root/bin/psp2ov2" --version) || fail "psp2ov2 --version failed"
grep -q "^psp2ov2 [0-9]" <<<"$version" || fail "psp2ov2 --version says: $version"

warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/share/man/man1/ov2.1" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "ov2.1 renders with warnings: $warnings"
for page in psp2ov2 makeov2 ov2; do
  text=$(MANWIDTH=80 man -l "$root/share/man/man1/$page.1" 2>&1) || fail "man -l $page.1 failed"
  grep -q "^NAME" <<<"$text" || fail "$page.1 renders without a NAME section"
  grep -q "EXIT STATUS" <<<"$text" || fail "$page.1 has no EXIT STATUS"
done
echo "ok: the package installs tools that convert, and manual pages that render"

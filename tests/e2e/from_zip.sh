#!/usr/bin/env bash
# The Windows zip as a user meets it: unpacked into an empty folder, the program
# started from there converts a pushpin file with the utility and the symbol that came
# in the zip, F1 on Windows 10 gives the browser the manual page that came in the zip,
# and the zip's README.txt and LICENSE.txt have Windows line ends.
source "$(dirname "$0")/lib.sh"
qh_need_sample
qh_setup
[ -f "${QH_DIST_ZIP:-}" ] || qh_fail "no zip ${QH_DIST_ZIP:-}: build the dist target"
# The case's program folder holds the zip's contents only.
rm -rf "$QH_PROGRAM"
mkdir -p "$QH_WORK/unpack"
(cd "$QH_WORK/unpack" && cmake -E tar xf "$QH_DIST_ZIP") || qh_fail "cannot unpack $QH_DIST_ZIP"
mv "$QH_WORK"/unpack/Quillhaven-* "$QH_PROGRAM"
qh_log "unpacked: $(cd "$QH_PROGRAM" && echo *)"
for f in Quillhaven.exe MakeOV2_v1-1.exe psp2ov2.exe ov2.exe default_symbol.bmp Quillhaven.hlp \
         Quillhaven.htm README.txt LICENSE.txt; do
  [ -f "$QH_PROGRAM/$f" ] || qh_fail "the zip has no $f"
done
for f in README.txt LICENSE.txt; do
  [ "$(grep -c $'\r$' "$QH_PROGRAM/$f")" -eq "$(wc -l <"$QH_PROGRAM/$f")" ] ||
    qh_fail "$f has lines without CR LF"
done

data=$QH_WORK/data
cp "$QH_SAMPLE_PSP" "$data/trip.psp"
qh_windows_version win10
qh_stand_in_browser
qh_start
main=$(qh_wait_window "$QH_TITLE" 90) || qh_fail "the main window '$QH_TITLE' did not appear"
qh_open_dialog "$main" "Open File" ctrl+o
qh_choose_file "Open File" "$data/trip.psp"
qh_menu "$main" ctrl+s
qh_wait_file "$data/trip.ov2" 60 || qh_fail "no trip.ov2 after Save from the unpacked zip"
qh_expect_eq "lines of trip.asc" 9 "$(grep -c $'\r$' "$data/trip.asc")"
qh_expect_same_file "trip.bmp against the zip's default_symbol.bmp" \
  "$QH_PROGRAM/default_symbol.bmp" "$data/trip.bmp"
if command -v gpsbabel >/dev/null; then
  qh_expect_eq "points GPSBabel reads from trip.ov2" 9 "$(qh_ov2_points "$data/trip.ov2")"
fi

# --- F1: the manual page from the zip, in the browser; File > Exit ends the program.
qh_keys "$main" F1
address=$(qh_wait_browser 30) || qh_fail "F1 gave the browser nothing"
qh_expect_eq "the page F1 gave the browser" "file://$QH_PROGRAM/Quillhaven.htm" "${address//%20/ }"
qh_menu "$main" alt+f x
qh_wait_exit 20 || qh_fail "the program still runs 20 s after File > Exit"
qh_log "ok: the program from the zip converted, showed its manual and ended"

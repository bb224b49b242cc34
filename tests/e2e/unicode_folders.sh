#!/usr/bin/env bash
# Folder and file names outside any one-byte code page, as people on Windows 10 and 11
# have them: the program unpacked into "Narzędzia Quillhaven", File > Open of
# "Łódź trips/łódź.psp" (its outputs beside it), File > Save As into "Ελληνικά/route".
# The manifest makes the program's ANSI code page UTF-8; without it the start gives a
# false "Missing files" box and the pushpin file is "not found". Checked by the files
# written, by the report's text on the screen (screenshot unicode-report.png), by the
# utility found in its folder, by offsets.txt written there, and by the manual page F1
# hands to the browser (Windows 10) from there.
source "$(dirname "$0")/lib.sh"
qh_need_sample
qh_setup
# The program folder under a name with Polish letters.
mv "$QH_PROGRAM" "$QH_WORK/Narzędzia Quillhaven"
QH_PROGRAM="$QH_WORK/Narzędzia Quillhaven"
data=$QH_WORK/data
mkdir -p "$data/Łódź trips" "$data/Ελληνικά"
cp "$QH_SAMPLE_PSP" "$data/Łódź trips/łódź.psp"
psp2ov2=$(qh_find_psp2ov2)
qh_windows_version win10
qh_stand_in_browser

qh_start
main=$(qh_wait_window "$QH_TITLE" 90) || qh_fail "the main window '$QH_TITLE' did not appear"
sleep 1
[ -z "$(qh_find_windows "Missing files")" ] ||
  qh_fail "'Missing files' although MakeOV2_v1-1.exe stands in $QH_PROGRAM"
qh_log "ok: no 'Missing files' box in a program folder named 'Narzędzia Quillhaven'"

# --- File > Open and File > Save: the outputs beside the input, under its name.
qh_open_dialog "$main" "Open File" alt+f o
qh_choose_file "Open File" "$data/Łódź trips/łódź.psp"
qh_menu "$main" alt+f s
qh_wait_file "$data/Łódź trips/łódź.ov2" 60 || qh_fail "no łódź.ov2 beside łódź.psp after File > Save"
qh_expect_eq "files in 'Łódź trips'" "łódź.asc łódź.bmp łódź.ov2 łódź.psp" \
  "$(cd "$data/Łódź trips" && echo *)"
qh_expect_same_file "łódź.bmp against default_symbol.bmp" "$QH_SYMBOL" "$data/Łódź trips/łódź.bmp"
if [ -n "$psp2ov2" ]; then
  qh_reference_asc "$psp2ov2" "$data/Łódź trips/łódź.psp" "$QH_WORK/expected.asc"
  qh_expect_same_file "łódź.asc against psp2ov2 --asc-only" "$QH_WORK/expected.asc" \
    "$data/Łódź trips/łódź.asc"
fi
if command -v gpsbabel >/dev/null; then
  qh_expect_eq "points GPSBabel reads from łódź.ov2" 9 "$(qh_ov2_points "$data/Łódź trips/łódź.ov2")"
fi
sleep 1
qh_screenshot "$QH_ARTEFACTS/unicode-report.png" "$main"

# --- File > Save As into a folder with a Greek name.
qh_open_dialog "$main" "Save File" alt+f a
qh_choose_file "Save File" "$data/Ελληνικά/route"
qh_wait_file "$data/Ελληνικά/route.ov2" 60 || qh_fail "no Ελληνικά/route.ov2 after File > Save As"
qh_expect_eq "files in 'Ελληνικά'" "route.asc route.bmp route.ov2" "$(cd "$data/Ελληνικά" && echo *)"
cmp -s "$data/Łódź trips/łódź.asc" "$data/Ελληνικά/route.asc" ||
  qh_fail "route.asc differs from łódź.asc: the same pins, the same options"
qh_log "ok: Save As into 'Ελληνικά' wrote the same points"
sleep 1
qh_screenshot "$QH_ARTEFACTS/unicode-save-as.png" "$main"

# --- Option > Offsets keeps offsets.txt beside the program, in its Polish folder.
qh_menu "$main" alt+o o
dialog=$(qh_wait_window "PushPin co-ordinates" 15) || qh_fail "no Offsets dialog"
sleep 0.5
qh_keys "$dialog" ctrl+a
qh_type "$dialog" "1"
qh_keys "$dialog" Return
qh_wait_file "$QH_PROGRAM/offsets.txt" 10 || qh_fail "no offsets.txt in 'Narzędzia Quillhaven' after OK"
[ -z "$(qh_find_windows "Offset data error")" ] || qh_fail "an 'Offset data error' box"
qh_log "ok: offsets.txt written beside the program"

# --- F1: the manual page from the program's folder, name and all.
qh_keys "$main" F1
address=$(qh_wait_browser 30) || qh_fail "F1 gave the browser nothing"
qh_expect_eq "the page F1 gave the browser" "file://$QH_PROGRAM/Quillhaven.htm" \
  "$(printf '%b' "${address//%/\\x}")"

qh_menu "$main" alt+f x
qh_wait_exit 20 || qh_fail "the program still runs 20 s after File > Exit"
qh_expect_eq "files written into the current folder" "" "$(ls -A "$QH_WORK/cwd")"

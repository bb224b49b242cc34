#!/usr/bin/env bash
# Started with a file, as Explorer starts the program for "Open with" or for a file
# dropped on its icon: "Quillhaven.exe <folder with blanks>\trip.psp" opens the file at
# once (the report's first line), and Ctrl+S converts it beside itself without a
# dialog. A name that cannot be read gets the "PushPin File" box and the program stays.
# Between the two runs %APPDATA%\Quillhaven\quillhaven.ini keeps the folder of the last
# Open and Append Notes: the second run's Open dialog starts in "my trips", and its
# Save appends the notes.
# Screenshots: start-with-file.png, start-with-missing-file.png in the artefacts.
source "$(dirname "$0")/lib.sh"
qh_need_sample
qh_setup
data=$QH_WORK/data
mkdir -p "$data/my trips"
cp "$QH_SAMPLE_PSP" "$data/my trips/trip.psp"

# --- 1. A readable pushpin file.
qh_start "$(qh_win_path "$data/my trips/trip.psp")"
main=$(qh_wait_window "$QH_TITLE" 90) || qh_fail "the main window '$QH_TITLE' did not appear"
sleep 1
[ -z "$(qh_find_windows "PushPin File")" ] || qh_fail "a 'PushPin File' box for a readable file"
qh_screenshot "$QH_ARTEFACTS/start-with-file.png" "$main"
qh_keys "$main" ctrl+s
qh_wait_file "$data/my trips/trip.ov2" 60 || qh_fail "no trip.ov2 after Ctrl+S of the file named at start"
[ -z "$(qh_find_windows "Save File")" ] || qh_fail "Save asked for a name although the start named the file"
qh_expect_eq "lines of trip.asc" 9 "$(grep -c $'\r$' "$data/my trips/trip.asc")"
qh_menu "$main" alt+o a
qh_menu "$main" alt+f x
qh_wait_exit 20 || qh_fail "the program still runs 20 s after File > Exit"

# --- 2. A name that is not there.
qh_start "$(qh_win_path "$data/gone.psp")"
box=$(qh_wait_window "PushPin File" 90) || qh_fail "no 'PushPin File' box for a missing file named at start"
sleep 0.5
qh_screenshot "$QH_ARTEFACTS/start-with-missing-file.png"
qh_keys "$box" Return
qh_wait_no_window "PushPin File" 15 || qh_fail "the box stayed after Enter"
qh_running || qh_fail "the program ended after the box"
main=$(qh_wait_window "$QH_TITLE" 10) || qh_fail "no main window after the box"
# No input was taken: Save says so.
qh_keys "$main" ctrl+s
box=$(qh_wait_window "PushPin File" 15) || qh_fail "no 'No input file selected' box after Ctrl+S"
qh_keys "$box" Return
qh_wait_no_window "PushPin File" 15 || qh_fail "the second box stayed after Enter"
qh_log "ok: a missing file named at start gave its box and left no input"

# --- The remembered folder and notes choice: a bare name in the Open dialog is found in
# the folder of the first run's file.
rm "$data/my trips/trip."{asc,ov2,bmp}
qh_open_dialog "$main" "Open File" ctrl+o
dialog=$(qh_wait_window "Open File" 30) || qh_fail "no Open dialog"
sleep 0.5
qh_keys "$dialog" ctrl+a
qh_type "$dialog" "trip.psp"
qh_keys "$dialog" Return
qh_wait_no_window "Open File" 15 || qh_fail "the Open dialog did not find trip.psp in the remembered folder"
qh_keys "$main" ctrl+s
qh_wait_file "$data/my trips/trip.ov2" 60 || qh_fail "no trip.ov2 in the remembered folder"
psp2ov2=$(qh_find_psp2ov2)
if [ -n "$psp2ov2" ]; then
  qh_reference_asc "$psp2ov2" "$data/my trips/trip.psp" "$QH_WORK/expected.asc" --append-notes
  qh_expect_same_file "trip.asc with the remembered Append Notes" "$QH_WORK/expected.asc" \
    "$data/my trips/trip.asc"
fi
qh_menu "$main" alt+f x
qh_wait_exit 20 || qh_fail "the program still runs 20 s after File > Exit"
qh_log "ok: the second run started in the remembered folder with Append Notes"

#!/usr/bin/env bash
# Where the outputs go and what a failure looks like, as a person meets them: a pushpin
# file in a folder whose name holds ".psp" converts beside itself; Save As to a name in
# a folder with a dot keeps that folder; an overlay that cannot be written gives a stop
# box instead of a report of success; the Offsets dialog refuses an empty field and
# stores nothing when closed with Esc. The program folder holds a blank throughout.
source "$(dirname "$0")/lib.sh"
qh_need_sample
qh_setup
data=$QH_WORK/data
mkdir -p "$data/old.psp files" "$data/out.old" "$data/blocked"
cp "$QH_SAMPLE_PSP" "$data/old.psp files/Pins.psp"
cp "$QH_SAMPLE_PSP" "$data/blocked/trip.psp"
mkdir "$data/blocked/trip.ov2"  # a folder in the way of the overlay
qh_start
main=$(qh_wait_window "$QH_TITLE" 90) || qh_fail "the main window '$QH_TITLE' did not appear"

# --- Open and Save, by their keys Ctrl+O and Ctrl+S: the outputs stand beside the input,
# in the folder named "old.psp files".
qh_open_dialog "$main" "Open File" ctrl+o
qh_choose_file "Open File" "$data/old.psp files/Pins.psp"
qh_menu "$main" ctrl+s
qh_wait_file "$data/old.psp files/Pins.ov2" 60 || qh_fail "no Pins.ov2 beside Pins.psp"
for ext in asc bmp; do
  [ -f "$data/old.psp files/Pins.$ext" ] || qh_fail "no Pins.$ext beside Pins.psp"
done
qh_expect_eq "files in data/" "blocked old.psp files out.old" "$(cd "$data" && echo *)"

# --- Save As "out.old\tour": three names with one stem, in out.old.
qh_open_dialog "$main" "Save File" alt+f a
qh_choose_file "Save File" "$data/out.old/tour"
qh_wait_file "$data/out.old/tour.ov2" 60 || qh_fail "no out.old/tour.ov2 after Save As"
qh_expect_eq "files in out.old" "tour.asc tour.bmp tour.ov2" "$(cd "$data/out.old" && echo *)"

# --- An overlay that cannot be written: a stop box names it, and the program goes on.
qh_open_dialog "$main" "Open File" alt+f o
qh_choose_file "Open File" "$data/blocked/trip.psp"
qh_menu "$main" alt+f s
box=$(qh_wait_window "PushPin File" 60) || qh_fail "no box when the overlay could not be written"
sleep 0.5
qh_screenshot "$QH_ARTEFACTS/overlay-not-made.png" "$box"
qh_keys "$box" Return
qh_wait_no_window "PushPin File" 10 || qh_fail "the box stayed after Return"
[ -d "$data/blocked/trip.ov2" ] || qh_fail "the folder in the way was replaced"
sleep 0.5
qh_screenshot "$QH_ARTEFACTS/report-after-failed-overlay.png" "$main"
qh_running || qh_fail "the program ended after the failed overlay"

# --- Offsets: an empty field is refused and named; Esc then stores nothing.
qh_menu "$main" alt+f Right o
dialog=$(qh_wait_window "PushPin co-ordinates" 15) || qh_fail "the Offsets dialog did not appear"
sleep 0.5
qh_keys "$dialog" ctrl+a BackSpace Return
refusal=$(qh_wait_window "Offset data error" 15) || qh_fail "no box after OK with an empty field"
sleep 0.5
qh_screenshot "$QH_ARTEFACTS/offsets-refused.png"
qh_keys "$refusal" Return
qh_wait_no_window "Offset data error" 10 || qh_fail "the box stayed after Return"
dialog=$(qh_wait_window "PushPin co-ordinates" 15) || qh_fail "the dialog did not come back"
qh_keys "$dialog" Escape
qh_wait_no_window "PushPin co-ordinates" 15 || qh_fail "the dialog stayed after Esc"
[ -e "$QH_PROGRAM/offsets.txt" ] && qh_fail "offsets.txt was written although nothing was confirmed"
qh_log "ok: nothing stored after the refusal and Esc"

qh_keys "$main" alt+F4
qh_wait_exit 20 || qh_fail "the program still runs 20 s after the close request"
qh_log "ok: the program ended"

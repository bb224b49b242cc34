#!/usr/bin/env bash
# What the program says matches what it did, read from its own boxes: a point pushed
# past 180 degrees by the offsets is left out of an overlay that is made (a warning, not
# a stop box; the report ends with what the overlay holds); 400 bytes of 0xFF are not a
# pushpin file (a box, and nothing written); the Offsets dialog shows -100 and 100 in
# full and names a field that is not a number.
source "$(dirname "$0")/lib.sh"
qh_need_sample
[ -f "${QH_EDGE_PSP:-}" ] || qh_fail "no edge pushpin file: run 'ctest -R fixture_sample_pushpins' first"
qh_setup
data=$QH_WORK/data
cp "$QH_EDGE_PSP" "$data/edges.psp"
head -c 400 /dev/zero | tr '\0' '\377' >"$data/notpins.psp"
printf '0.001,0.001\r\n' >"$QH_PROGRAM/offsets.txt"
qh_start
main=$(qh_wait_window "$QH_TITLE" 90) || qh_fail "the main window '$QH_TITLE' did not appear"

# qh_box_says TITLE TEXT: the box's text holds TEXT (line breaks read as "|").
qh_box_says() {
  local texts
  texts=$(qh_window_texts "$1")
  [[ "$texts" == *"$2"* ]] || qh_fail "the box '$1' does not say '$2'; it says: $texts"
  qh_log "ok: the box '$1' says '$2'"
}

# qh_dialog_shows TITLE TEXT: a child of the window holds exactly TEXT.
qh_dialog_shows() {
  qh_window_texts "$1" | grep -Fxq -- "$2" ||
    qh_fail "no field of '$1' shows '$2'; they hold: $(qh_window_texts "$1" | tr '\n' ' ')"
  qh_log "ok: '$1' shows '$2'"
}

# --- A point beyond 180 degrees: the overlay is made without it, and the box says so.
qh_open_dialog "$main" "Open File" ctrl+o
qh_choose_file "Open File" "$data/edges.psp"
qh_menu "$main" ctrl+s
box=$(qh_wait_window "PushPin File" 60) || qh_fail "no box about the point left out"
sleep 0.5
qh_screenshot "$QH_ARTEFACTS/left-out-box.png" "$box"
qh_box_says "PushPin File" "1 point was left out of the overlay: its longitude or latitude, after the offsets, is not on the Earth."
qh_keys "$box" Return
qh_wait_no_window "PushPin File" 10 || qh_fail "the box stayed after Return"
[ -f "$data/edges.ov2" ] || qh_fail "no edges.ov2 although the box called it made"
if command -v gpsbabel >/dev/null; then
  qh_expect_eq "points in edges.ov2" 2 "$(qh_ov2_points "$data/edges.ov2")"
fi
sleep 0.5
qh_screenshot "$QH_ARTEFACTS/left-out-report.png" "$main"
qh_log "the report ends with the overlay's count: $QH_ARTEFACTS/left-out-report.png"

# --- Not a pushpin file: a box names it; nothing is written and nothing run.
qh_open_dialog "$main" "Open File" ctrl+o
qh_choose_file "Open File" "$data/notpins.psp"
qh_menu "$main" ctrl+s
box=$(qh_wait_window "PushPin File" 60) || qh_fail "no box for a file that is not a pushpin file"
sleep 0.5
qh_screenshot "$QH_ARTEFACTS/not-a-pushpin-file.png" "$box"
qh_box_says "PushPin File" "This is not a pushpin file:|$(qh_win_path "$data/notpins.psp")"
qh_keys "$box" Return
qh_wait_no_window "PushPin File" 10 || qh_fail "the box stayed after Return"
for ext in asc ov2 bmp; do
  [ -e "$data/notpins.$ext" ] && qh_fail "notpins.$ext was written for a file that is not a pushpin file"
done
qh_log "ok: nothing written for notpins.psp"

# --- Offsets -100 and 100 show in full; a text that is not a number is named.
# qh_offsets_dialog: opens Option > Offsets and leaves its id in $dialog.
qh_offsets_dialog() {
  qh_menu "$main" alt+f Right o
  dialog=$(qh_wait_window "PushPin co-ordinates" 15) || qh_fail "the Offsets dialog did not appear"
  sleep 0.5
}
qh_offsets_dialog
qh_keys "$dialog" ctrl+a
qh_type "$dialog" "-100"
qh_keys "$dialog" Tab ctrl+a
qh_type "$dialog" "1.2.3E"
sleep 0.3
qh_screenshot "$QH_ARTEFACTS/offsets-typed-wrong.png" "$dialog"
qh_keys "$dialog" Return
refusal=$(qh_wait_window "Offset data error" 15) || qh_fail "no box for a latitude of 1.2.3E"
sleep 0.5
qh_screenshot "$QH_ARTEFACTS/offsets-not-a-number.png" "$refusal"
qh_box_says "Offset data error" "Latitude (degrees) is not a number."
qh_keys "$refusal" Return
dialog=$(qh_wait_window "PushPin co-ordinates" 15) || qh_fail "the dialog did not come back"
sleep 0.5
qh_keys "$dialog" ctrl+a
qh_type "$dialog" "45"
qh_keys "$dialog" Return
qh_wait_no_window "PushPin co-ordinates" 15 || qh_fail "the dialog stayed after OK"
qh_offsets_dialog
qh_screenshot "$QH_ARTEFACTS/offsets-minus-100.png" "$dialog"
qh_dialog_shows "PushPin co-ordinates" "-100.00000"
qh_keys "$dialog" ctrl+a
qh_type "$dialog" "100"
qh_keys "$dialog" Return
qh_wait_no_window "PushPin co-ordinates" 15 || qh_fail "the dialog stayed after OK"
qh_offsets_dialog
qh_screenshot "$QH_ARTEFACTS/offsets-100.png" "$dialog"
qh_dialog_shows "PushPin co-ordinates" "100.00000"
qh_keys "$dialog" Escape
qh_wait_no_window "PushPin co-ordinates" 15 || qh_fail "the dialog stayed after Esc"
sleep 0.5
qh_screenshot "$QH_ARTEFACTS/offsets-100-status.png" "$main"

qh_keys "$main" alt+F4
qh_wait_exit 20 || qh_fail "the program still runs 20 s after the close request"
qh_log "ok: the program ended"

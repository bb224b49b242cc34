#!/usr/bin/env bash
# Option > Offsets and Help > About as a person uses them: the "PushPin co-ordinates"
# dialog takes typed offsets (its fields refuse letters other than E and turn a typed
# "e" into "E"), OK writes offsets.txt beside the program in its fixed layout, the next
# Save adds the offsets to every point (checked against psp2ov2 --offset); the
# labels' mnemonics reach their fields and Cancel stores nothing; and the About box
# opens and closes with Enter.
source "$(dirname "$0")/lib.sh"
qh_need_sample
qh_setup
psp2ov2=$(qh_find_psp2ov2)
data=$QH_WORK/data
cp "$QH_SAMPLE_PSP" "$data/nash.psp"
qh_start
main=$(qh_wait_window "$QH_TITLE" 90) || qh_fail "the main window '$QH_TITLE' did not appear"
[ -e "$QH_PROGRAM/offsets.txt" ] && qh_fail "offsets.txt exists before the dialog was used"

# --- Option > Offsets, by the menu's mnemonic.
dialog_title="PushPin co-ordinates"
qh_offsets_dialog() {
  qh_menu "$main" alt+o o
  dialog=$(qh_wait_window "$dialog_title" 15) || {
    qh_log "no dialog after the keys: pressing them again"
    qh_menu "$main" alt+o o
    dialog=$(qh_wait_window "$dialog_title" 15) || qh_fail "the dialog '$dialog_title' did not appear"
  }
}
qh_offsets_dialog
qh_log "dialog '$dialog_title' is up (window $dialog)"
sleep 0.5
qh_screenshot "$QH_ARTEFACTS/offsets-dialog.png" "$dialog"
# The longitude field has the focus: select its text (Ctrl+A is character 1) and
# type over it; Tab to the latitude. The "x" is refused, the "e" entered as "E".
qh_keys "$dialog" ctrl+a
qh_type "$dialog" "1.25"
qh_keys "$dialog" Tab ctrl+a
qh_type "$dialog" "-2.5xe-1"
sleep 0.3
qh_screenshot "$QH_ARTEFACTS/offsets-typed.png" "$dialog"
qh_keys "$dialog" Return
qh_wait_no_window "$dialog_title" 15 || qh_fail "the dialog stayed open after Enter (OK)"

offsets=$QH_PROGRAM/offsets.txt
qh_wait_file "$offsets" 10 || qh_fail "no $offsets after OK"
printf ' %s%s\r\n' '   1.250000    ' ' -0.2500000    ' >"$QH_WORK/expected-offsets.txt"
qh_expect_same_file "offsets.txt in its fixed layout" "$QH_WORK/expected-offsets.txt" "$offsets"
sleep 0.5
qh_screenshot "$QH_ARTEFACTS/offsets-status.png" "$main"
qh_log "the status bar with the new offsets: $QH_ARTEFACTS/offsets-status.png"

# --- The next conversion adds the offsets.
qh_open_dialog "$main" "Open File" alt+f o
qh_choose_file "Open File" "$data/nash.psp"
qh_menu "$main" alt+f s
qh_wait_file "$data/nash.ov2" 60 || qh_fail "no $data/nash.ov2 after File > Save"
qh_wait_file "$data/nash.asc" 5 || qh_fail "no $data/nash.asc after File > Save"
if [ -n "$psp2ov2" ]; then
  qh_reference_asc "$psp2ov2" "$data/nash.psp" "$QH_WORK/expected.asc" --offset 1.25,-0.25
  qh_expect_same_file "nash.asc against psp2ov2 --asc-only --offset 1.25,-0.25" \
    "$QH_WORK/expected.asc" "$data/nash.asc"
else
  qh_log "NOTE: psp2ov2 (native build) not found: the .asc is not compared byte for byte"
fi

# --- Alt+A (the latitude label's mnemonic) reaches the latitude field; Cancel, two
# Tabs on, ends the dialog and stores nothing.
qh_offsets_dialog
sleep 0.5
qh_keys "$dialog" alt+a ctrl+a
qh_type "$dialog" "9"
qh_keys "$dialog" Tab Tab space
qh_wait_no_window "$dialog_title" 15 || qh_fail "the dialog stayed open after Cancel"
qh_expect_same_file "offsets.txt after Cancel" "$QH_WORK/expected-offsets.txt" "$offsets"
qh_offsets_dialog
sleep 0.5
qh_keys "$dialog" alt+a ctrl+a
qh_type "$dialog" "0.75"
qh_keys "$dialog" alt+l ctrl+a
qh_type "$dialog" "2"
qh_keys "$dialog" Return
qh_wait_no_window "$dialog_title" 15 || qh_fail "the dialog stayed open after Enter (OK)"
end=$((SECONDS + 10))
printf ' %s%s\r\n' '   2.000000    ' '  0.7500000    ' >"$QH_WORK/expected-offsets.txt"
until cmp -s "$QH_WORK/expected-offsets.txt" "$offsets" || [ $SECONDS -ge $end ]; do sleep 0.3; done
qh_expect_same_file "offsets.txt typed through Alt+A and Alt+L" "$QH_WORK/expected-offsets.txt" "$offsets"

# --- Help > About, closed with Enter (its OK button is the default).
qh_menu "$main" alt+h a
about=$(qh_wait_window "About" 15) || qh_fail "the About box did not appear"
sleep 0.5
qh_screenshot "$QH_ARTEFACTS/about.png" "$about"
qh_keys "$about" Return
qh_wait_no_window "About" 15 || qh_fail "the About box stayed open after Enter"
qh_log "ok: the About box closed with Enter"

qh_keys "$main" alt+F4
qh_wait_exit 20 || qh_fail "the program still runs 20 s after the close request"
qh_log "ok: the program ended"

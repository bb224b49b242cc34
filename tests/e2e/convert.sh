#!/usr/bin/env bash
# A whole session as a person works it: File > Open through the real dialog, File > Save
# (no dialog), Option > Append Notes, File > Save As with a new name, then the
# toolbar's Exit button. Checked by the files written: the ".asc" against the batch
# converter's, the symbol copy, and the points GPSBabel reads from the overlay.
source "$(dirname "$0")/lib.sh"
qh_need_sample
qh_setup
psp2ov2=$(qh_find_psp2ov2)
data=$QH_WORK/data
cp "$QH_SAMPLE_PSP" "$data/nash.psp"
mkdir -p "$data/out"
qh_start
main=$(qh_wait_window "$QH_TITLE" 90) || qh_fail "the main window '$QH_TITLE' did not appear"

# --- File > Open, File > Save: names derived from the input, no Save dialog.
qh_open_dialog "$main" "Open File" alt+f o
qh_choose_file "Open File" "$data/nash.psp"
qh_menu "$main" alt+f s
qh_wait_file "$data/nash.ov2" 60 || qh_fail "no $data/nash.ov2 after File > Save"
[ -z "$(qh_find_windows "Save File")" ] || qh_fail "File > Save after Open showed the Save dialog"
qh_wait_file "$data/nash.asc" 5 || qh_fail "no $data/nash.asc after File > Save"
qh_expect_eq "lines of nash.asc" 9 "$(grep -c $'\r$' "$data/nash.asc")"
if [ -n "$psp2ov2" ]; then
  qh_reference_asc "$psp2ov2" "$data/nash.psp" "$QH_WORK/expected.asc"
  qh_expect_same_file "nash.asc against psp2ov2 --asc-only" "$QH_WORK/expected.asc" "$data/nash.asc"
else
  qh_log "NOTE: psp2ov2 (native build) not found: the .asc is not compared byte for byte"
fi
qh_expect_same_file "nash.bmp against default_symbol.bmp" "$QH_SYMBOL" "$data/nash.bmp"
if command -v gpsbabel >/dev/null; then
  qh_expect_eq "points GPSBabel reads from nash.ov2" 9 "$(qh_ov2_points "$data/nash.ov2")"
else
  qh_log "NOTE: gpsbabel is not installed: the overlay's points are not counted"
fi

# The report of the conversion stays on the screen: keep a picture of it.
sleep 1
qh_screenshot "$QH_ARTEFACTS/main-after-conversion.png" "$main"
mkdir -p "$QH_SOURCE_DIR/build/screenshots"
cp "$QH_ARTEFACTS/main-after-conversion.png" "$QH_SOURCE_DIR/build/screenshots/"

# --- Option > Append Notes, then File > Save As with a new name.
qh_menu "$main" alt+f Right a
qh_open_dialog "$main" "Save File" alt+f a
qh_choose_file "Save File" "$data/out/notes.ov2"
qh_wait_file "$data/out/notes.ov2" 60 || qh_fail "no $data/out/notes.ov2 after File > Save As"
qh_wait_file "$data/out/notes.asc" 5 || qh_fail "no $data/out/notes.asc after File > Save As"
# Each text is now the name followed by the notes: the earlier text, and more.
paste -d '\n' <(qh_asc_texts "$data/nash.asc") <(qh_asc_texts "$data/out/notes.asc") |
  while IFS= read -r name && IFS= read -r full; do
    case "$full" in
      "$name"?*) ;;
      *) echo "$name|$full" ;;
    esac
  done >"$QH_WORK/not-appended"
[ -s "$QH_WORK/not-appended" ] &&
  qh_fail "texts not name + notes (name|text): $(head -3 "$QH_WORK/not-appended")"
qh_expect_eq "lines of notes.asc" 9 "$(grep -c $'\r$' "$data/out/notes.asc")"
if [ -n "$psp2ov2" ]; then
  qh_reference_asc "$psp2ov2" "$data/nash.psp" "$QH_WORK/expected-notes.asc" --append-notes
  qh_expect_same_file "notes.asc against psp2ov2 --asc-only --append-notes" \
    "$QH_WORK/expected-notes.asc" "$data/out/notes.asc"
fi
qh_expect_same_file "notes.bmp against default_symbol.bmp" "$QH_SYMBOL" "$data/out/notes.bmp"
# The first conversion's files are untouched by the second.
qh_expect_eq "lines of nash.asc after Save As" 9 "$(grep -c $'\r$' "$data/nash.asc")"

# --- The toolbar's third button, found on the screen by its red arrow, ends the program.
arrow=$(qh_find_colour "$main" '#FF0000' 0 90)
[ -n "$arrow" ] || qh_fail "the toolbar's exit arrow is not on the screen"
read -r ax ay bx by <<<"$arrow"
qh_log "exit arrow at x $ax..$bx, y $ay..$by: clicking it"
qh_click "$main" "$ax" $(((ay + by) / 2))
qh_wait_exit 20 || qh_fail "the program still runs 20 s after a click on the toolbar's Exit"
qh_log "ok: the toolbar's Exit ended the program"

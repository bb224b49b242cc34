#!/usr/bin/env bash
# A pushpin file that ends too early: the "PushPin File" box appears, no ".asc" is left
# (nor a temporary file, a symbol copy or an overlay), an earlier ".asc" of the same
# name stays as it was, and the program goes on: a following Open and Save work.
source "$(dirname "$0")/lib.sh"
qh_need_sample
qh_setup
data=$QH_WORK/data
size=$(stat -c %s "$QH_SAMPLE_PSP")
head -c $((size / 2)) "$QH_SAMPLE_PSP" >"$data/cut.psp"
head -c $((size / 2)) "$QH_SAMPLE_PSP" >"$data/again.psp"
printf 'earlier conversion\r\n' >"$data/again.asc"
cp "$QH_SAMPLE_PSP" "$data/whole.psp"
qh_start
main=$(qh_wait_window "$QH_TITLE" 90) || qh_fail "the main window '$QH_TITLE' did not appear"

# convert_broken NAME: Open and Save the file NAME.psp and close the error box.
convert_broken() {
  qh_open_dialog "$main" "Open File" alt+f o
  qh_choose_file "Open File" "$data/$1.psp"
  qh_menu "$main" alt+f s
  box=$(qh_wait_window "PushPin File" 30) || qh_fail "no 'PushPin File' box for $1.psp"
  qh_screenshot "$QH_ARTEFACTS/truncated-input-box.png"
  qh_keys "$box" Return
  qh_wait_no_window "PushPin File" 10 || qh_fail "the 'PushPin File' box stayed after Return"
  qh_running || qh_fail "the program ended after the error on $1.psp"
}

convert_broken cut
qh_expect_eq "files beside cut.psp" "again.asc again.psp cut.psp whole.psp" "$(cd "$data" && echo *)"

convert_broken again
qh_expect_eq "again.asc after the failed conversion" "earlier conversion" "$(tr -d '\r' <"$data/again.asc")"
qh_expect_eq "files beside again.psp" "again.asc again.psp cut.psp whole.psp" "$(cd "$data" && echo *)"

# The program still answers: a whole file converts.
qh_open_dialog "$main" "Open File" alt+f o
qh_choose_file "Open File" "$data/whole.psp"
qh_menu "$main" alt+f s
qh_wait_file "$data/whole.ov2" 60 || qh_fail "no whole.ov2 after a failed conversion"
qh_expect_eq "lines of whole.asc" 9 "$(grep -c $'\r$' "$data/whole.asc")"

qh_keys "$main" alt+F4
qh_wait_exit 20 || qh_fail "the program still runs 20 s after the close request"
qh_log "ok: closed"

#!/usr/bin/env bash
# Start-up and the close request: the main window appears with its toolbar, the
# program writes nothing into its current folder, and Alt+F4 (the system menu's
# close request; close_box.sh clicks the real close box) ends the process.
source "$(dirname "$0")/lib.sh"
qh_setup
qh_start

main=$(qh_wait_window "$QH_TITLE" 90) || qh_fail "the main window '$QH_TITLE' did not appear"
qh_expect_eq "visible main windows" 1 "$(qh_find_windows "$QH_TITLE" | wc -l)"
qh_running || qh_fail "the program ended right after start-up"

# The frame holds a drawing area 512 pixels wide.
qh_window_geometry "$main"
[ "$QH_W" -ge 512 ] || qh_fail "main window width: expected at least 512, actual $QH_W"
qh_log "ok: main window ${QH_W}x${QH_H} at $QH_X,$QH_Y"

# The toolbar shows its three pictures under the menu bar, left to right: the yellow
# folder, the navy disk and the red exit arrow.
sleep 1
folder=$(qh_find_colour "$main" '#FFFF00' 0 90)
disk=$(qh_find_colour "$main" '#000080' 0 90)
arrow=$(qh_find_colour "$main" '#FF0000' 0 90)
qh_log "toolbar paint: folder [$folder] disk [$disk] arrow [$arrow]"
[ -n "$folder" ] && [ -n "$disk" ] && [ -n "$arrow" ] ||
  qh_fail "toolbar pictures: expected the folder, disk and arrow paint in the top 90 rows"
read -r fx _ <<<"$folder"
read -r dx _ <<<"$disk"
read -r ax _ <<<"$arrow"
[ "$fx" -lt "$dx" ] && [ "$dx" -lt "$ax" ] ||
  qh_fail "toolbar order: expected folder < disk < arrow, actual x $fx, $dx, $ax"
qh_screenshot "$QH_ARTEFACTS/startup.png" "$main"

qh_keys "$main" alt+F4
qh_wait_exit 20 || qh_fail "the program still runs 20 s after the close request"
qh_log "ok: the close request ended the program"
qh_expect_eq "files written into the current folder" "" "$(ls -A "$QH_WORK/cwd")"

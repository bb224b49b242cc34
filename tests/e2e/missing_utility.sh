#!/usr/bin/env bash
# The converter utility is not beside the program: the window opens, the "Missing
# files" box appears once, and the program ends after OK. The current folder holds a
# copy of the utility, which must not count: only the program's folder is looked at.
source "$(dirname "$0")/lib.sh"
qh_setup without-utility
[ -f "$QH_UTILITY" ] && cp "$QH_UTILITY" "$QH_WORK/cwd/MakeOV2_v1-1.exe"
qh_start

box=$(qh_wait_window "Missing files" 90) || qh_fail "no 'Missing files' box"
qh_expect_eq "'Missing files' boxes" 1 "$(qh_find_windows "Missing files" | wc -l)"
[ -n "$(qh_find_windows "$QH_TITLE")" ] || qh_fail "the main window is not on the screen behind the box"
qh_screenshot "$QH_ARTEFACTS/missing-utility.png"

qh_keys "$box" Return
qh_wait_exit 20 || qh_fail "the program still runs 20 s after OK on 'Missing files'"
qh_log "ok: the program ended after OK"

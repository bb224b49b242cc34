#!/usr/bin/env bash
# The manual by the version of Windows, as the program reads it with its manifest:
#   1. Windows 10: F1 and Help > Quillhaven hand Quillhaven.htm beside the program to the
#      browser (a stand-in xdg-open that records the address); no help engine opens, and
#      File > Exit ends the program;
#   2. Windows XP: Help > Quillhaven opens Quillhaven.hlp in the help engine, the browser
#      is not asked, and File > Exit closes the engine with the program.
# Screenshots: help-win10.png, help-winxp.png in the artefacts.
source "$(dirname "$0")/lib.sh"
qh_setup
qh_need_help_file
[ -f "$QH_PROGRAM/Quillhaven.htm" ] || qh_fail "no Quillhaven.htm beside $QH_HELP: build the manual target"
qh_stand_in_browser
# Help engines the case may leave behind are ended by id (lib.sh).
trap 'qh_end_desktop; qh_cleanup' EXIT
export QH_E2E_RUN=$QH_WORK
QH_HELP_TITLE="Quillhaven Help"
page="file://$QH_PROGRAM/Quillhaven.htm"

# --- 1. Windows 10: the page in the browser.
qh_windows_version win10
qh_start
main=$(qh_wait_window "$QH_TITLE" 90) || qh_fail "the main window '$QH_TITLE' did not appear"
qh_keys "$main" F1
address=$(qh_wait_browser 30) || qh_fail "F1 on Windows 10 gave the browser nothing"
# The browser may be given the address with its blank escaped.
qh_expect_eq "the address F1 gave the browser" "$page" "${address//%20/ }"
qh_menu "$main" alt+h q
end=$((SECONDS + 30))
until [ "$(grep -c . "$QH_BROWSER_LOG")" -ge 2 ]; do
  [ $SECONDS -lt $end ] || qh_fail "Help > Quillhaven on Windows 10 gave the browser nothing"
  sleep 0.3
done
qh_expect_eq "the address Help > Quillhaven gave the browser" "$page" \
  "$(sed -n '2s/%20/ /gp' "$QH_BROWSER_LOG")"
sleep 1
[ -z "$(qh_find_windows "$QH_HELP_TITLE")" ] || qh_fail "the help engine opened on Windows 10"
qh_screenshot "$QH_ARTEFACTS/help-win10.png"
qh_menu "$main" alt+f x
qh_wait_exit 20 || qh_fail "the program still runs 20 s after File > Exit on Windows 10"
qh_log "ok: File > Exit ended the program on Windows 10"

# --- 2. Windows XP: the help file in the help engine.
qh_windows_version winxp
: >"$QH_BROWSER_LOG"
qh_start
main=$(qh_wait_window "$QH_TITLE" 90) || qh_fail "the main window '$QH_TITLE' did not appear"
qh_menu "$main" alt+h q
viewer=$(qh_wait_window "$QH_HELP_TITLE" 30) || qh_fail "no help engine after Help > Quillhaven on Windows XP"
sleep 1
qh_screenshot "$QH_ARTEFACTS/help-winxp.png"
qh_expect_eq "addresses given to the browser on Windows XP" "" "$(cat "$QH_BROWSER_LOG")"
qh_front "$main"
qh_menu "$main" alt+f x
qh_wait_exit 20 || qh_fail "the program still runs 20 s after File > Exit on Windows XP"
qh_wait_no_window "$QH_HELP_TITLE" 20 || qh_fail "the help engine is still open 20 s after File > Exit"
qh_log "ok: on Windows XP the help engine showed the manual and closed with the program"
qh_expect_eq "files written into the current folder" "" "$(ls -A "$QH_WORK/cwd")"

#!/usr/bin/env bash
# The title-bar close box, clicked with the mouse like a person does. The program runs on
# Wine's virtual desktop, where Wine draws the frames with their caption buttons;
# window_probe.exe asks the window where its close box is and whether the window itself
# takes that point for the close box, and xdotool clicks the box's centre.
#   1. A click on the close box ends the program, and with it the desktop.
#   2. With the help viewer open (Help > Quillhaven), the close box ends the program but
#      leaves the viewer open;
#   3. File > Exit closes the viewer too.
# The help viewer is the system's help engine: the prefix reports Windows XP, where the
# program uses it (help_by_version.sh has the browser of later systems).
source "$(dirname "$0")/lib.sh"
qh_setup
qh_need_help_file
qh_windows_version winxp

# qh_close_box_of (--title TEXT | --class NAME): sets BOX_X BOX_Y (the centre of the
# window's close box) after checking that a click there reaches that box.
qh_close_box_of() {
  local what="$*" box state l t r b
  qh_probe "$@" || qh_fail "window_probe $what: status $?, $(cat "$QH_WORK/probe.err")"
  box=$(qh_probe_value close_box)
  state=$(qh_probe_value close_state)
  qh_log "$what: window $(qh_probe_value window_rect), caption $(qh_probe_value title_bar), close box $box"
  [ -n "$box" ] || qh_fail "$what: the probe gave no close box: $QH_PROBE"
  # STATE_SYSTEM_INVISIBLE (0x8000) or STATE_SYSTEM_UNAVAILABLE (0x1): no box to click.
  [ $((state & 0x8001)) -eq 0 ] || qh_fail "$what: close button state: expected shown and enabled, actual $state"
  qh_expect_eq "$what: the window's hit test at the close box's centre (20 = HTCLOSE)" 20 \
    "$(qh_probe_value close_hit)"
  read -r l t r b <<<"$box"
  BOX_X=$(((l + r) / 2)) BOX_Y=$(((t + b) / 2))
}

# qh_uncover_main WINDOW: brings the main window in front of the help viewer and makes
# it the active window, as a person would before reaching for it: the viewer covers it
# whole, so the window is raised first, then its caption is clicked. Each probe starts a
# Windows program, which takes seconds on a loaded machine: allow several rounds.
qh_uncover_main() {
  local main=$1 end=$((SECONDS + 45)) l t r b
  while [ $SECONDS -lt $end ]; do
    qh_probe --title "$QH_TITLE" || qh_fail "the main window is gone from the desktop"
    if [ "$(qh_probe_value close_covered)" == 0 ]; then
      [ "$(qh_probe_value foreground)" == 1 ] && return 0
      read -r l t r b <<<"$(qh_probe_value title_bar)"
      qh_click_desktop $(((l + r) / 2)) $(((t + b) / 2))
    else
      xdotool windowraise "$main"
    fi
    sleep 0.3
  done
  qh_fail "the main window is still behind the help viewer or not active: $QH_PROBE"
}

# qh_start_help_viewer: Help > Quillhaven, then waits for the viewer's window.
qh_start_help_viewer() {
  local main=$1
  qh_menu "$main" alt+h q
  qh_wait_probe 30 --class MS_WINHELP || qh_fail "no help viewer window after Help > Quillhaven"
  qh_log "ok: help viewer open, window $(qh_probe_value window_rect)"
  # A file the viewer cannot read gives a box instead of a page.
  [ -z "$(qh_find_windows ERROR)" ] || qh_fail "the help viewer could not read the help file"
}

# --- 1. The close box ends the program and the desktop closes after it.
qh_start_on_desktop
main=$(qh_wait_window "$QH_TITLE" 60) || qh_fail "the main window '$QH_TITLE' did not appear"
# Desktop positions are positions inside the desktop's X window: both have one size.
qh_wait_probe 30 --title "$QH_TITLE" || qh_fail "window_probe does not find '$QH_TITLE'"
qh_window_geometry "$(qh_desktop_window)"
qh_expect_eq "desktop size (Windows) against its X window" "$QH_W $QH_H" "$(qh_probe_value screen)"
qh_close_box_of --title "$QH_TITLE"
sleep 0.5
read -r l t r b <<<"$(qh_probe_value window_rect)"
qh_desktop_screenshot "$QH_ARTEFACTS/close-box-window.png" "$l" "$t" "$r" "$b" ||
  qh_fail "no screenshot of the framed window"
qh_desktop_screenshot "$QH_ARTEFACTS/close-box-desktop.png"
qh_log "clicking the close box at $BOX_X,$BOX_Y"
qh_click_desktop "$BOX_X" "$BOX_Y"
qh_wait_gone "$QH_PID" 20 || qh_fail "the program still runs 20 s after a click on its close box"
qh_log "ok: the close box ended the program"
qh_wait_desktop_end 20 || qh_fail "the desktop is still open 20 s after its last program ended"
qh_log "ok: the desktop closed after the program"
qh_expect_eq "files written into the current folder" "" "$(ls -A "$QH_WORK/cwd")"

# --- 2. Help, then the close box: the program ends, the help viewer stays open.
qh_start_on_desktop
main=$(qh_wait_window "$QH_TITLE" 60) || qh_fail "the main window '$QH_TITLE' did not appear"
qh_start_help_viewer "$main"
viewer_process=$(qh_probe_value process)
qh_uncover_main "$main"
qh_close_box_of --title "$QH_TITLE"
qh_click_desktop "$BOX_X" "$BOX_Y"
qh_wait_gone "$QH_PID" 20 || qh_fail "with the help viewer open, the program still runs 20 s after a click on its close box"
qh_log "ok: the close box ended the program"
# Told to quit, the viewer goes before the program's last call returns; the moment's
# grace only covers a viewer that quits a little later.
sleep 2
qh_probe --class MS_WINHELP || qh_fail "the help viewer closed with the program's close box"
qh_expect_eq "help viewer after the close box: visible" 1 "$(qh_probe_value visible)"
qh_expect_eq "help viewer after the close box: the same viewer process" "$viewer_process" \
  "$(qh_probe_value process)"
qh_desktop_screenshot "$QH_ARTEFACTS/close-box-help-left-open.png"
# The person closes the viewer with its own close box; then the desktop closes.
qh_close_box_of --class MS_WINHELP
qh_click_desktop "$BOX_X" "$BOX_Y"
qh_wait_desktop_end 20 || qh_fail "the desktop is still open 20 s after the help viewer's close box"
qh_log "ok: the viewer's close box closed it, and the desktop closed"

# --- 3. Help, then File > Exit: the program closes the viewer on its way out.
qh_start_on_desktop
main=$(qh_wait_window "$QH_TITLE" 60) || qh_fail "the main window '$QH_TITLE' did not appear"
qh_start_help_viewer "$main"
qh_uncover_main "$main"
qh_menu "$main" alt+f x
qh_wait_gone "$QH_PID" 20 || qh_fail "the program still runs 20 s after File > Exit"
qh_log "ok: File > Exit ended the program"
end=$((SECONDS + 20))
while qh_probe --class MS_WINHELP && [ $SECONDS -lt $end ]; do sleep 0.3; done
[ "$(qh_probe_value visible)" != 1 ] ||
  qh_fail "help viewer after File > Exit: expected closed, actual still open 20 s later"
qh_log "ok: File > Exit closed the help viewer"
qh_wait_desktop_end 20 || qh_fail "the desktop is still open 20 s after File > Exit"
qh_log "ok: the desktop closed"

qh_wait_run_end 30 || qh_fail "processes of the case still run: $(qh_run_processes | tr '\n' ' ')"
qh_log "ok: no process of the case is left"

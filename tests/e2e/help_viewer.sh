#!/usr/bin/env bash
# The manual in Wine's help viewer, reached as a person reaches it:
#   1. started from its program folder with another current folder, Help > Quillhaven
#      opens the viewer, captioned with the manual's title, at the contents page: the
#      page that lists a jump to every other topic;
#   2. a click on the contents page's first jump shows its target topic, the same page
#      the viewer shows when asked for that topic by its name;
#   3. File > Exit closes the viewer with the program.
# Screenshots: help-contents.png, help-jumped.png, help-by-name.png in the artefacts.
# The prefix reports Windows XP, the systems whose help engine the program uses.
source "$(dirname "$0")/lib.sh"
qh_setup
qh_need_help_file
qh_windows_version winxp

QH_HELP_TITLE="Quillhaven Help"
QH_HOTSPOT_COLOUR="#008000"
# The viewer's menu bar and button bar lie above this row; the page lies below it.
QH_PAGE_TOP=42
MANUAL=$QH_SOURCE_DIR/docs/manual/quillhaven.txt
mapfile -t topics < <(sed -n 's/^@topic \([A-Za-z0-9]*\) .*/\1/p' "$MANUAL")
[ "${#topics[@]}" -ge 3 ] || qh_fail "fewer than three topics in $MANUAL"

# Viewers the case starts carry this mark, so that the ones left over are ended by id.
export QH_E2E_RUN=$QH_WORK
qh_end_viewers() {
  local pid
  for pid in $(qh_run_processes); do
    tr '\0' '\n' <"/proc/$pid/cmdline" 2>/dev/null | grep -qi 'winhlp32' && kill "$pid" 2>/dev/null
  done
  return 0
}
trap 'qh_end_viewers; qh_cleanup' EXIT

# qh_hotspot_lines WINDOW: one line "top bottom left right" per line of hotspot text
# in the window's page, from the top.
qh_hotspot_lines() {
  local shot="$QH_WORK/hotspots.png"
  import -window "$1" "$shot" || return 1
  convert "$shot" -crop "10000x10000+0+$QH_PAGE_TOP" +repage txt:- 2>/dev/null |
    awk -v want="$QH_HOTSPOT_COLOUR" -v top="$QH_PAGE_TOP" -F'[,: ]+' '
      NR > 1 && toupper($0) ~ want {
        x = $1; y = $2 + top
        if (n && y > bottom + 2) { print first, bottom, left, right; n = 0 }
        if (!n) { first = y; left = x; right = x; n = 1 }
        bottom = y; if (x < left) left = x; if (x > right) right = x
      }
      END { if (n) print first, bottom, left, right }'
}

# qh_page WINDOW FILE: the window's page (below the button bar) as a picture.
qh_page() {
  import -window "$1" -crop "10000x10000+0+$QH_PAGE_TOP" +repage "$2"
}

# qh_same_picture A B: the pictures have the same size and pixels.
qh_same_picture() {
  [ "$(compare -metric AE "$1" "$2" null: 2>&1)" == 0 ]
}

# --- 1. Help > Quillhaven opens the viewer at the contents page.
qh_start
main=$(qh_wait_window "$QH_TITLE" 60) || qh_fail "the main window '$QH_TITLE' did not appear"
qh_menu "$main" alt+h q
viewer=$(qh_wait_window "$QH_HELP_TITLE" 30) ||
  qh_fail "no help viewer captioned '$QH_HELP_TITLE' after Help > Quillhaven"
qh_log "ok: the help viewer is up, captioned '$QH_HELP_TITLE' (window $viewer)"
end=$((SECONDS + 15))
until lines=$(qh_hotspot_lines "$viewer") && [ -n "$lines" ]; do
  [ $SECONDS -lt $end ] || qh_fail "the viewer shows no jumps 15 s after it opened"
  sleep 0.3
done
sleep 0.5
lines=$(qh_hotspot_lines "$viewer")
qh_screenshot "$QH_ARTEFACTS/help-contents.png" "$viewer"
qh_expect_eq "lines of jumps on the first page (one for each topic after the contents page)" \
  $((${#topics[@]} - 1)) "$(grep -c . <<<"$lines")"
qh_page "$viewer" "$QH_WORK/contents-page.png"

# --- 2. A jump: the first line of the contents page leads to the second topic.
read -r top bottom left right <<<"$(head -1 <<<"$lines")"
qh_log "clicking the first jump at rows $top-$bottom, columns $left-$right"
qh_click "$viewer" $(((left + right) / 2)) $(((top + bottom) / 2))
end=$((SECONDS + 15))
while :; do
  sleep 0.5
  qh_page "$viewer" "$QH_WORK/jumped-page.png"
  qh_same_picture "$QH_WORK/contents-page.png" "$QH_WORK/jumped-page.png" || break
  [ $SECONDS -lt $end ] || qh_fail "the page did not change 15 s after a click on the first jump"
done
sleep 0.5
qh_page "$viewer" "$QH_WORK/jumped-page.png"
qh_screenshot "$QH_ARTEFACTS/help-jumped.png" "$viewer"
qh_log "ok: the click on the jump changed the page"

# --- 3. File > Exit ends the program and closes the viewer. The viewer, clicked last,
# is the active window: the main window is raised and its status bar clicked first,
# as a person would bring it back.
qh_front "$main"
qh_menu "$main" alt+f x
qh_wait_exit 20 || qh_fail "the program still runs 20 s after File > Exit"
qh_wait_no_window "$QH_HELP_TITLE" 20 || qh_fail "the help viewer is still open 20 s after File > Exit"
qh_log "ok: File > Exit ended the program and closed the help viewer"
qh_expect_eq "files written into the current folder" "" "$(ls -A "$QH_WORK/cwd")"

# The jump's target, as the viewer finds it by the topic's name (it hashes the name
# itself): the same page as the jump showed.
target=${topics[1]}
QH_PID=""  # the program has ended; the viewer is waited for by its window alone
(cd "$QH_WORK/cwd" && exec "$QH_SOURCE_DIR/scripts/wine-run.sh" winhlp32 -i "$target" \
   "$(qh_win_path "$QH_PROGRAM/Quillhaven.hlp")" >>"$QH_WORK/viewer.out" 2>&1) &
byName=$(qh_wait_window "$QH_HELP_TITLE" 30) || qh_fail "the viewer asked for topic '$target' did not open"
sleep 1.5
qh_page "$byName" "$QH_WORK/by-name-page.png"
qh_screenshot "$QH_ARTEFACTS/help-by-name.png" "$byName"
qh_same_picture "$QH_WORK/jumped-page.png" "$QH_WORK/by-name-page.png" ||
  qh_fail "the jump's page differs from topic '$target' asked for by name (see help-jumped.png, help-by-name.png)"
qh_log "ok: the jump showed topic '$target'"
qh_end_viewers
qh_wait_no_window "$QH_HELP_TITLE" 20 || qh_fail "the viewer of topic '$target' did not close"

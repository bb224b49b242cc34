# Helpers of the end-to-end tests: the real Quillhaven.exe under Wine on an X display,
# driven with xdotool like a person, checked by the windows it shows and the files it
# writes. Sourced by the case scripts; each case runs in its own temporary folder with
#   Program Files/Quillhaven/  Quillhaven.exe, MakeOV2_v1-1.exe, default_symbol.bmp and
#             Quillhaven.hlp, as installed (a blank in the folder, as on a real installation)
#   cwd/      the current folder the program is started in (kept apart on purpose)
#   data/     the pushpin files the case opens and the files the program writes
#
# Settings (the ctest entries pass them; a case started by hand finds the defaults):
#   QH_EXE QH_UTILITY QH_SYMBOL QH_HELP  the files of the program folder
#   QH_SAMPLE_PSP                the sample pushpin file the build's test fixture writes
#   QH_ARTEFACTS                 where screenshots are kept
#   QH_PSP2OV2                   the native batch converter, for reference .asc files
#                                (default: build/native/bin/psp2ov2, else any native build)
#   WINEPREFIX                   the Wine prefix (default: the project's build/wineprefix)
set -uo pipefail
# Files are compared as bytes: the texts the program writes are not UTF-8.
export LC_ALL=C

QH_SOURCE_DIR=${QH_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
QH_BUILD=${QH_BUILD:-$QH_SOURCE_DIR/build/win}
QH_EXE=${QH_EXE:-$QH_BUILD/program/Quillhaven.exe}
QH_UTILITY=${QH_UTILITY:-$QH_BUILD/program/MakeOV2_v1-1.exe}
QH_SYMBOL=${QH_SYMBOL:-$QH_SOURCE_DIR/resources/default_symbol.bmp}
QH_HELP=${QH_HELP:-$QH_BUILD/manual/Quillhaven.hlp}
QH_SAMPLE_PSP=${QH_SAMPLE_PSP:-$QH_BUILD/fixtures/sample.psp}
QH_ARTEFACTS=${QH_ARTEFACTS:-$QH_BUILD/tests/e2e/artefacts}
export WINEPREFIX=${WINEPREFIX:-$QH_SOURCE_DIR/build/wineprefix}
export WINEDEBUG=-all

QH_TITLE="Pushpin to OV2 conversion"
QH_PID=""
QH_CASE=$(basename "${0%.sh}")
# ctest counts this exit code as a skipped test.
QH_SKIP=77

qh_log() { printf '[%s %s] %s\n' "$QH_CASE" "$(date +%H:%M:%S)" "$*"; }

qh_fail() {
  qh_log "FAIL: $*"
  qh_screenshot "$QH_ARTEFACTS/$QH_CASE-failure.png" >/dev/null 2>&1 || true
  qh_log "screenshot of the display: $QH_ARTEFACTS/$QH_CASE-failure.png; files kept in $QH_WORK"
  QH_KEEP_WORK=1
  exit 1
}

qh_skip() {
  qh_log "SKIPPED: $*"
  exit "$QH_SKIP"
}

# The sample pushpin file is written by the build's test fixture (fixture_sample_pushpins);
# ctest runs it first, and a case run by hand needs it run once.
qh_need_sample() {
  [ -f "$QH_SAMPLE_PSP" ] ||
    qh_fail "no sample pushpin file $QH_SAMPLE_PSP: run 'ctest -R fixture_sample_pushpins' first"
}

# qh_expect_eq WHAT EXPECTED ACTUAL
qh_expect_eq() {
  [ "$2" == "$3" ] || qh_fail "$1: expected '$2', actual '$3'"
  qh_log "ok: $1 = '$3'"
}

# qh_expect_same_file WHAT EXPECTED_FILE ACTUAL_FILE: byte-identical, else show the difference.
qh_expect_same_file() {
  [ -f "$3" ] || qh_fail "$1: $3 was not written"
  if ! cmp -s "$2" "$3"; then
    if grep -qI . "$2" && grep -qI . "$3"; then
      qh_log "$1: $3 differs from $2; first different lines (expected <, actual >; ^M is CR):"
      diff <(cat -v "$2") <(cat -v "$3") | head -12
    else
      qh_log "$1: $3 differs from $2; first different bytes (offset, expected, actual in octal):"
      cmp -l "$2" "$3" | head -8
    fi
    qh_fail "$1: files differ ($(stat -c %s "$2") bytes expected, $(stat -c %s "$3") actual)"
  fi
  qh_log "ok: $1 ($(stat -c %s "$3") bytes, identical)"
}

# The settings the program remembers between runs (%APPDATA%\Quillhaven) live in the
# shared prefix: each case starts without them and leaves none behind.
qh_forget_settings() {
  local folder
  for folder in "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Quillhaven; do
    [ -d "$folder" ] && rm -rf "$folder"
  done
  return 0
}

qh_cleanup() {
  qh_restore_windows_version
  qh_forget_settings
  if [ -n "$QH_PID" ] && kill -0 "$QH_PID" 2>/dev/null; then
    kill "$QH_PID" 2>/dev/null
    sleep 0.5
    kill -9 "$QH_PID" 2>/dev/null
  fi
  if [ -n "${QH_WORK:-}" ] && [ -z "${QH_KEEP_WORK:-}" ]; then rm -rf "$QH_WORK"; fi
}

# Checks the tools and the display, makes the case's folders and lays out the program
# folder. With "without-utility" the converter utility is left out.
qh_setup() {
  local tool
  for tool in wine xdotool import cmp; do
    command -v "$tool" >/dev/null || qh_skip "$tool is not installed"
  done
  [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1 ||
    qh_fail "no X display: run the case through scripts/with-display.sh"
  [ -f "$QH_EXE" ] || qh_skip "$QH_EXE is not built"
  [ -f "$QH_SYMBOL" ] || qh_skip "$QH_SYMBOL is not there"
  QH_WORK=$(mktemp -d /tmp/qh-e2e-XXXXXX)
  qh_forget_settings
  QH_PROGRAM="$QH_WORK/Program Files/Quillhaven"
  trap qh_cleanup EXIT
  mkdir -p "$QH_PROGRAM" "$QH_WORK/cwd" "$QH_WORK/data" "$QH_ARTEFACTS"
  cp "$QH_EXE" "$QH_PROGRAM/Quillhaven.exe"
  cp "$QH_SYMBOL" "$QH_PROGRAM/default_symbol.bmp"
  if [ -f "$QH_HELP" ]; then cp "$QH_HELP" "$QH_PROGRAM/Quillhaven.hlp"; fi
  if [ -f "${QH_HELP%.hlp}.htm" ]; then cp "${QH_HELP%.hlp}.htm" "$QH_PROGRAM/Quillhaven.htm"; fi
  if [ "${1:-}" != without-utility ]; then
    [ -f "$QH_UTILITY" ] || qh_skip "$QH_UTILITY is not built"
    cp "$QH_UTILITY" "$QH_PROGRAM/MakeOV2_v1-1.exe"
  fi
  qh_log "work folder $QH_WORK"
}

# The Windows name of a Unix path: Wine's drive Z: is the root of the Unix tree.
qh_win_path() { printf 'Z:%s' "${1//\//\\}"; }

# Wine maps Unix file names through its locale's character set: UTF-8, so that folders
# named in any script reach the program (and are written) as the case names them.
QH_WINE_LOCALE=C.UTF-8

# qh_start [ARGUMENT...]: starts the program from the case's current folder, by its
# full path as a user's shortcut would, with the arguments given. The process id stays
# that of the Windows program.
qh_start() {
  (cd "$QH_WORK/cwd" && LC_ALL=$QH_WINE_LOCALE exec "$QH_SOURCE_DIR/scripts/wine-run.sh" \
     "$QH_PROGRAM/Quillhaven.exe" "$@" >"$QH_WORK/program.out" 2>&1) &
  QH_PID=$!
  qh_log "started Quillhaven.exe, process $QH_PID"
}

# qh_find_windows TITLE: ids of the visible windows with exactly this title.
qh_find_windows() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null; }

# qh_wait_window TITLE [SECONDS]: prints the window's id once it is visible.
qh_wait_window() {
  local title=$1 limit=${2:-30} end id
  end=$((SECONDS + limit))
  while [ $SECONDS -lt $end ]; do
    id=$(qh_find_windows "$title" | head -1)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    if [ -n "$QH_PID" ] && ! kill -0 "$QH_PID" 2>/dev/null; then
      qh_log "the program ended while waiting for the window '$title'"
      return 1
    fi
    sleep 0.2
  done
  qh_log "no window '$title' within $limit s"
  return 1
}

# qh_wait_no_window TITLE [SECONDS]: succeeds once no visible window has this title.
qh_wait_no_window() {
  local title=$1 limit=${2:-15} end
  end=$((SECONDS + limit))
  while [ $SECONDS -lt $end ]; do
    [ -z "$(qh_find_windows "$title")" ] && return 0
    sleep 0.2
  done
  return 1
}

# qh_keys WINDOW KEY...: gives the window the keyboard focus, then presses the keys.
# (Without a window manager `key --window` does not reach Wine; the focus does.)
qh_keys() {
  local id=$1
  shift
  xdotool windowfocus --sync "$id" 2>/dev/null || xdotool windowfocus "$id"
  sleep 0.2
  xdotool key --delay 120 "$@"
}

# qh_type WINDOW TEXT: types the text into the window's focused field. The text is
# UTF-8 (file names may hold any letter), whatever the case's own locale. A letter
# without a key of its own is typed through a key that xdotool remaps for it; typed
# fast, Wine can read such a key after the next remapping and lose the letter.
qh_type() {
  local delay=15
  LC_ALL=C grep -q '[^ -~]' <<<"$2" && delay=120
  xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
  sleep 0.2
  LC_ALL=C.UTF-8 xdotool type --delay "$delay" -- "$2"
}

# qh_menu WINDOW KEY...: opens a menu with the keyboard and picks an item. The menu bar
# of a Wine window answers Alt+letter once the frame has the focus.
qh_menu() { qh_keys "$@"; }

# qh_open_dialog WINDOW DIALOG_TITLE KEY...: presses the menu keys that open a file dialog.
# If the dialog is not up after 15 s the keys are taken as lost and pressed once more;
# a late dialog then only receives keys that qh_choose_file overwrites.
qh_open_dialog() {
  local window=$1 title=$2
  shift 2
  qh_menu "$window" "$@"
  qh_wait_window "$title" 15 >/dev/null && return 0
  qh_log "no dialog '$title' after the keys $*: pressing them again"
  qh_menu "$window" "$@"
}

# qh_choose_file DIALOG_TITLE UNIX_PATH: in an open or save dialog, types the full
# Windows path into the name field (it has the focus when the dialog opens) and confirms.
qh_choose_file() {
  local dialog
  dialog=$(qh_wait_window "$1" 30) || qh_fail "the dialog '$1' did not appear"
  qh_log "dialog '$1' is up (window $dialog)"
  sleep 0.5
  qh_keys "$dialog" ctrl+a
  qh_type "$dialog" "$(qh_win_path "$2")"
  qh_keys "$dialog" Return
  qh_wait_no_window "$1" 15 || qh_fail "the dialog '$1' stayed open after choosing $2"
}

# qh_wait_file PATH [SECONDS]: waits until the file exists and its size has settled.
qh_wait_file() {
  local path=$1 limit=${2:-30} end size last=-1
  end=$((SECONDS + limit))
  while [ $SECONDS -lt $end ]; do
    if [ -f "$path" ]; then
      size=$(stat -c %s "$path")
      [ "$size" == "$last" ] && return 0
      last=$size
    fi
    sleep 0.3
  done
  return 1
}

# qh_wait_exit [SECONDS]: waits for the program's process to end.
qh_wait_exit() {
  local limit=${1:-20} end
  end=$((SECONDS + limit))
  while [ $SECONDS -lt $end ]; do
    kill -0 "$QH_PID" 2>/dev/null || { wait "$QH_PID" 2>/dev/null; return 0; }
    sleep 0.2
  done
  return 1
}

qh_running() { kill -0 "$QH_PID" 2>/dev/null; }

# qh_front WINDOW: brings the window back in front of another that has the focus, as a
# person would: raise it and click its status bar.
qh_front() {
  xdotool windowraise "$1"
  qh_window_geometry "$1"
  qh_click "$1" 10 $((QH_H - 8))
  sleep 0.5
}

# qh_screenshot FILE [WINDOW]: the whole display, or one window.
qh_screenshot() {
  mkdir -p "$(dirname "$1")"
  if [ -n "${2:-}" ]; then import -window "$2" "$1"; else import -window root "$1"; fi
}

# qh_window_geometry WINDOW: sets QH_X QH_Y QH_W QH_H (screen position and size).
qh_window_geometry() {
  local X Y WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(X|Y|WIDTH|HEIGHT)=-?[0-9]+$')"
  QH_X=$X QH_Y=$Y QH_W=$WIDTH QH_H=$HEIGHT
}

# qh_find_colour WINDOW COLOUR TOP HEIGHT: the bounding box "minx miny maxx maxy" (window
# coordinates) of the pixels of exactly COLOUR (#RRGGBB) within rows TOP..TOP+HEIGHT-1
# of the window; empty when there are none. Finds pictures on the screen by their paint.
qh_find_colour() {
  local shot="$QH_WORK/find-colour.png"
  import -window "$1" "$shot" || return 1
  convert "$shot" -crop "10000x$4+0+$3" +repage txt:- 2>/dev/null |
    awk -v want="$2" -v top="$3" -F'[,: ]+' '
      NR > 1 && toupper($0) ~ toupper(want) {
        x = $1; y = $2 + top
        if (n++ == 0) { minx = maxx = x; miny = maxy = y }
        if (x < minx) minx = x; if (x > maxx) maxx = x
        if (y < miny) miny = y; if (y > maxy) maxy = y
      }
      END { if (n) print minx, miny, maxx, maxy }'
}

# qh_click WINDOW X Y: a left click at a position inside the window.
qh_click() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
}

# The native batch converter, for reference ".asc" files; empty when it is not built.
qh_find_psp2ov2() {
  local candidate
  for candidate in "${QH_PSP2OV2:-}" "$QH_SOURCE_DIR"/build/native/bin/psp2ov2; do
    [ -n "$candidate" ] && [ -f "$candidate" ] && [ -x "$candidate" ] && { echo "$candidate"; return 0; }
  done
  candidate=$(find "$QH_SOURCE_DIR"/build*/native -type f -name psp2ov2 -perm -u+x 2>/dev/null | head -1)
  [ -n "$candidate" ] && echo "$candidate"
}

# qh_reference_asc PSP OUTPUT_ASC [psp2ov2 options]: what the batch converter writes.
qh_reference_asc() {
  local tool=$1 psp=$2 out=$3 folder
  shift 3
  folder=$(mktemp -d "$QH_WORK/ref-XXXXXX")
  cp "$psp" "$folder/ref.psp"
  "$tool" --asc-only "$@" "$folder/ref.psp" >"$folder/log" 2>&1 ||
    qh_fail "psp2ov2 --asc-only $* failed: $(cat "$folder/log")"
  [ -f "$folder/ref.asc" ] || qh_fail "psp2ov2 --asc-only $* wrote no $folder/ref.asc"
  cp "$folder/ref.asc" "$out"
}

# qh_ov2_points FILE: the number of points GPSBabel reads from an overlay.
qh_ov2_points() {
  gpsbabel -i tomtom -f "$1" -o unicsv -F - 2>/dev/null | tail -n +2 | grep -c .
}

# qh_asc_texts FILE: the quoted text of each line of an ".asc" file, one per line.
# Bytes, not characters: texts hold Latin-1 and code page bytes that are not UTF-8.
qh_asc_texts() { tr -d '\r' <"$1" | LC_ALL=C sed -n 's/^[^"]*"\(.*\)"$/\1/p'; }

# --- Wine's virtual desktop ------------------------------------------------------------
# Without a window manager nothing draws frames; inside `wine explorer /desktop=...` Wine
# draws them itself, with caption buttons a person can click. The desktop is one X window
# ("NAME - Wine desktop"); a position on the Windows desktop is the same position inside
# that X window. What lies on the frame is asked of Windows with window_probe.exe.
#
#   QH_WINDOW_PROBE   tests/e2e/window_probe.exe of the Windows build
QH_WINDOW_PROBE=${QH_WINDOW_PROBE:-$QH_BUILD/tests/e2e/window_probe.exe}
QH_DESKTOP=qh
QH_DESKTOP_SIZE=1024x768
QH_DESKTOP_RUN=""
QH_DESKTOP_PID=""

# qh_alive PID: the process exists and has not ended. Wine's processes are not our
# children; an ended one can stay behind as a zombie that nobody reaps.
qh_alive() {
  local state
  [ -n "$1" ] && state=$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null) || return 1
  [ -n "$state" ] && [ "$state" != Z ] && [ "$state" != X ]
}

# qh_wait_gone PID [SECONDS]: waits for the process to end.
qh_wait_gone() {
  local pid=$1 limit=${2:-20} end
  end=$((SECONDS + limit))
  while [ $SECONDS -lt $end ]; do
    qh_alive "$pid" || return 0
    sleep 0.2
  done
  return 1
}

# qh_run_processes [ARGV0]: ids of the live processes started for this case (they carry
# the case's QH_E2E_RUN in their environment), only those whose first argument is ARGV0
# when it is given.
qh_run_processes() {
  local dir pid
  for dir in /proc/[0-9]*; do
    pid=${dir#/proc/}
    tr '\0' '\n' 2>/dev/null <"$dir/environ" | grep -qxF "QH_E2E_RUN=$QH_WORK" || continue
    if [ -n "${1:-}" ]; then
      [ "$(tr '\0' '\n' 2>/dev/null <"$dir/cmdline" | head -1)" == "$1" ] || continue
    fi
    qh_alive "$pid" && echo "$pid"
  done
}

# Ends what the case started and left running on its desktop, each process by its id:
# the program, a help viewer it opened, the desktop and the command that made it.
# Wine's own services go by themselves once no program is left.
qh_end_desktop() {
  local pid left=""
  for pid in "$QH_PID" $(qh_run_processes winhlp32.exe) "$QH_DESKTOP_PID" "$QH_DESKTOP_RUN"; do
    qh_alive "$pid" && left="$left $pid"
  done
  [ -z "$left" ] && return 0
  qh_log "ending the processes left on the desktop:$left"
  for pid in $left; do kill "$pid" 2>/dev/null; done
  sleep 0.5
  for pid in $left; do qh_alive "$pid" && kill -9 "$pid" 2>/dev/null; done
  return 0
}

# qh_wait_run_end [SECONDS]: waits until no process started for the case is left,
# Wine's services of a prefix the case started included.
qh_wait_run_end() {
  local limit=${1:-20} end
  end=$((SECONDS + limit))
  while [ $SECONDS -lt $end ]; do
    [ -z "$(qh_run_processes)" ] && return 0
    sleep 0.3
  done
  return 1
}

# Starts the program on a virtual desktop of its own, from the case's current folder.
# Sets QH_PID to the program's process and QH_DESKTOP_PID to the desktop's.
qh_start_on_desktop() {
  local exe end
  [ -f "$QH_WINDOW_PROBE" ] || qh_skip "$QH_WINDOW_PROBE is not built"
  export QH_E2E_RUN=$QH_WORK
  trap 'qh_end_desktop; qh_cleanup' EXIT
  exe=$(qh_win_path "$QH_PROGRAM/Quillhaven.exe")
  (cd "$QH_WORK/cwd" && LC_ALL=$QH_WINE_LOCALE exec "$QH_SOURCE_DIR/scripts/wine-run.sh" explorer \
     "/desktop=$QH_DESKTOP,$QH_DESKTOP_SIZE" "$exe" >>"$QH_WORK/program.out" 2>&1) &
  QH_DESKTOP_RUN=$!
  # The first start of a Wine prefix takes a while.
  end=$((SECONDS + 90))
  QH_PID="" QH_DESKTOP_PID=""
  while [ $SECONDS -lt $end ] && { [ -z "$QH_PID" ] || [ -z "$QH_DESKTOP_PID" ]; }; do
    QH_PID=$(qh_run_processes "$exe" | head -1)
    QH_DESKTOP_PID=$(qh_run_processes 'C:\windows\system32\explorer.exe' | head -1)
    [ -n "$QH_PID" ] && [ -n "$QH_DESKTOP_PID" ] || sleep 0.2
  done
  [ -n "$QH_PID" ] || qh_fail "Quillhaven.exe did not start on the desktop '$QH_DESKTOP' within 90 s"
  [ -n "$QH_DESKTOP_PID" ] || qh_fail "no desktop process for '$QH_DESKTOP'"
  qh_log "started Quillhaven.exe on the desktop '$QH_DESKTOP': process $QH_PID, desktop process $QH_DESKTOP_PID"
}

# The desktop's X window.
qh_desktop_window() { xdotool search --name "^$QH_DESKTOP - Wine desktop\$" 2>/dev/null | head -1; }

# qh_wait_desktop_end [SECONDS]: the desktop closes itself once no program is left on it;
# waits until its process has ended and its X window is gone.
qh_wait_desktop_end() {
  local limit=${1:-20} end
  end=$((SECONDS + limit))
  qh_wait_gone "$QH_DESKTOP_PID" "$limit" || return 1
  while [ $SECONDS -lt $end ]; do
    [ -z "$(qh_desktop_window)" ] && { wait "$QH_DESKTOP_RUN" 2>/dev/null; return 0; }
    sleep 0.2
  done
  return 1
}

# qh_probe (--title TEXT | --class NAME): runs window_probe.exe on the case's desktop and
# sets QH_PROBE to its "key=value" lines; returns its exit status (0 found, 1 no window,
# 2 no such desktop).
qh_probe() {
  local status
  WINEDEBUG=-all "$QH_SOURCE_DIR/scripts/wine-run.sh" "$QH_WINDOW_PROBE" --desktop "$QH_DESKTOP" \
    "$@" >"$QH_WORK/probe.out" 2>"$QH_WORK/probe.err"
  status=$?
  QH_PROBE=$(tr -d '\r' <"$QH_WORK/probe.out")
  return "$status"
}

# qh_window_texts TITLE: the texts of the window's children, one a line, line breaks
# as "|": what a message box says, read from the box itself (no virtual desktop).
qh_window_texts() {
  WINEDEBUG=-all "$QH_SOURCE_DIR/scripts/wine-run.sh" "$QH_WINDOW_PROBE" --title "$1" \
    2>/dev/null | tr -d '\r' | sed -n 's/^child=[^ ]* //p'
}

# qh_probe_value KEY: the value of KEY in the last probe's answer.
qh_probe_value() { sed -n "s/^$1=//p" <<<"$QH_PROBE" | head -1; }

# qh_wait_probe SECONDS (--title TEXT | --class NAME): waits until the window is found
# and visible, leaving its answer in QH_PROBE.
qh_wait_probe() {
  local limit=$1 end
  shift
  end=$((SECONDS + limit))
  while [ $SECONDS -lt $end ]; do
    qh_probe "$@" && [ "$(qh_probe_value visible)" == 1 ] && return 0
    sleep 0.3
  done
  return 1
}

# qh_click_desktop X Y: a left click at a position of the Windows desktop. The pointer
# is moved first and the click follows once it is there, as a hand would do it.
qh_click_desktop() {
  local desk
  desk=$(qh_desktop_window)
  [ -n "$desk" ] || qh_fail "the desktop '$QH_DESKTOP' has no X window"
  xdotool mousemove --window "$desk" --sync "$1" "$2" || qh_fail "cannot move the pointer to $1,$2"
  sleep 0.2
  xdotool click 1
}

# qh_desktop_screenshot FILE [L T R B]: the desktop, or the rectangle of it.
qh_desktop_screenshot() {
  local file=$1 desk
  shift
  desk=$(qh_desktop_window)
  [ -n "$desk" ] || return 1
  mkdir -p "$(dirname "$file")"
  if [ $# -eq 4 ]; then
    import -window "$desk" -crop "$(($3 - $1))x$(($4 - $2))+$1+$2" +repage "$file"
  else
    import -window "$desk" "$file"
  fi
}

# --- The system's version and its browser ------------------------------------------------
# The program opens its manual by the version of Windows it runs on: Quillhaven.hlp in
# the help engine before Vista, Quillhaven.htm in the browser from Vista on. Wine
# reports the version the prefix is set to (winecfg /v).
QH_VERSION_SAVED=unset

# qh_windows_version VERSION: the prefix reports VERSION (winxp, win10, ...) to the
# programs started from now on; the case's end puts the prefix's own setting back.
qh_windows_version() {
  if [ "$QH_VERSION_SAVED" == unset ]; then
    QH_VERSION_SAVED=$("$QH_SOURCE_DIR/scripts/wine-run.sh" reg query 'HKCU\Software\Wine' /v Version \
      2>/dev/null | tr -d '\r' | awk '$1 == "Version" { print $3 }')
  fi
  "$QH_SOURCE_DIR/scripts/wine-run.sh" winecfg /v "$1" >/dev/null 2>&1 ||
    qh_fail "winecfg /v $1 failed"
  qh_log "the Wine prefix reports Windows version $1"
}

qh_restore_windows_version() {
  [ "$QH_VERSION_SAVED" == unset ] && return 0
  if [ -n "$QH_VERSION_SAVED" ]; then
    "$QH_SOURCE_DIR/scripts/wine-run.sh" winecfg /v "$QH_VERSION_SAVED" >/dev/null 2>&1
  else
    "$QH_SOURCE_DIR/scripts/wine-run.sh" reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1
  fi
  QH_VERSION_SAVED=unset
}

# qh_stand_in_browser: the browser Wine hands web pages to (xdg-open) becomes a script,
# first in PATH, that writes each address it is given as a line of $QH_BROWSER_LOG and
# shows nothing. ".htm" files are tied to Wine's browser as on any Windows system (the
# prefix is made without the HTML engine that would register them).
qh_stand_in_browser() {
  QH_BROWSER_LOG=$QH_WORK/browser.log
  mkdir -p "$QH_WORK/bin"
  printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s"\n' "$QH_BROWSER_LOG" >"$QH_WORK/bin/xdg-open"
  chmod +x "$QH_WORK/bin/xdg-open"
  export PATH="$QH_WORK/bin:$PATH"
  "$QH_SOURCE_DIR/scripts/wine-run.sh" reg add 'HKCR\.htm' /ve /d htmlfile /f >/dev/null 2>&1 ||
    qh_fail "cannot tie .htm files to the browser in the Wine prefix"
}

# qh_wait_browser [SECONDS]: prints the first address the stand-in browser was given.
qh_wait_browser() {
  local limit=${1:-30} end
  end=$((SECONDS + limit))
  while [ $SECONDS -lt $end ]; do
    [ -s "$QH_BROWSER_LOG" ] && { head -1 "$QH_BROWSER_LOG"; return 0; }
    sleep 0.3
  done
  return 1
}

# The build makes the help file; a case that opens it needs it.
qh_need_help_file() {
  [ -f "$QH_PROGRAM/Quillhaven.hlp" ] || qh_fail "no help file $QH_HELP: build the manual target first"
}

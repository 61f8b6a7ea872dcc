# shellcheck shell=bash
# Shell functions that drive the installer's windows on an X display with xdotool, as a
# user would. Sourced by tools/check-medium. The caller sets:
#   pid    the installer's process id (windows are searched by it)
#   me     the name messages begin with
#   shots  a folder for screenshots, or empty for none
#   work   a folder whose installer.log holds the installer's output
# and may define on_failure, which fail runs before it exits.

walk_tools=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
screenshot_tool=$(dirname "$walk_tools")/build/bin/screenshot

main_title='^Tarnwick Installer\.\.\.$'
dir_title='^(Select a Directory|Insufficient space on this disk!|Install Aborted!)$'
extract_title='^(Prepare to Install\.\.\.\.|Extracting)$'
problem_title='^(Warning|Error|Tarnwick Installer v1\.1)$'

taken=()
shot() {
  [ -n "$shots" ] || return 0
  "$screenshot_tool" "$shots/$1.png" 2>/dev/null || fail "could not save $shots/$1.png"
  taken+=("$shots/$1.png")
  echo "  screenshot: $shots/$1.png"
}

alive() { [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; }

fail() {
  echo "$me: FAILED: $*" >&2
  if alive; then
    local w titles=""
    for w in $(xdotool search --all --onlyvisible --pid "$pid" --class '^installer$' 2>/dev/null || true); do
      titles+=" '$(xdotool getwindowname "$w" 2>/dev/null || true)'"
    done
    echo "$me: windows of the installer on the screen:${titles:- none}" >&2
  fi
  if [ -s "$work/installer.log" ]; then
    echo "$me: the installer's output:" >&2
    tail -n 20 "$work/installer.log" | sed 's/^/  /' >&2
  fi
  if [ -n "$shots" ] && [ -x "$screenshot_tool" ] && "$screenshot_tool" "$shots/failure.png" 2>/dev/null; then
    echo "$me: the screen at that moment: $shots/failure.png" >&2
  fi
  exit 1
}

# Starts an Xvfb of its own (it picks a free display and writes its number to the given
# descriptor) and points DISPLAY at it; stop_xvfb ends it.
xvfb=""
start_xvfb() {
  local displayfile i
  displayfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
  xvfb=$!
  for ((i = 0; i < 100; i++)); do [ -s "$displayfile" ] && break; sleep 0.1; done
  DISPLAY=:$(head -n 1 "$displayfile")
  rm -f "$displayfile"
  [ "$DISPLAY" != : ] || fail "Xvfb did not start"
  export DISPLAY
  for ((i = 0; i < 50; i++)); do xdotool getdisplaygeometry >/dev/null 2>&1 && return 0; sleep 0.1; done
  fail "the X display $DISPLAY does not answer"
}
stop_xvfb() {
  [ -n "$xvfb" ] || return 0
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
  xvfb=""
}

# The visible window of the installer whose title matches an extended regular expression
# (the program sets the form captions as X window titles), or nothing.
find_window() {
  xdotool search --all --onlyvisible --pid "$pid" --name "$1" 2>/dev/null | head -n 1 || true
}

# Polls until a window with a matching title is up and sets $wid to it.
wait_window() {
  local pattern=$1 what=$2 timeout=${3:-20} i
  for ((i = 0; i < timeout * 10; i++)); do
    alive || fail "the installer ended while waiting for $what"
    wid=$(find_window "$pattern")
    if [ -n "$wid" ]; then
      sleep 0.4 # let it paint
      return 0
    fi
    sleep 0.1
  done
  fail "$what did not appear within ${timeout}s"
}

wait_gone() {
  local pattern=$1 what=$2 timeout=${3:-10} i
  for ((i = 0; i < timeout * 10; i++)); do
    [ -z "$(find_window "$pattern")" ] && return 0
    sleep 0.1
  done
  fail "$what did not close within ${timeout}s"
}

# Polls until one window (by id) is no longer on the screen.
wait_id_gone() {
  local id=$1 what=$2 i
  for ((i = 0; i < 100; i++)); do
    xdotool search --all --onlyvisible --pid "$pid" --class '^installer$' 2>/dev/null | grep -qx "$id" || return 0
    sleep 0.1
  done
  fail "$what did not close within 10s"
}

# Polls until the installer's current directory is the given folder: the directory list
# keeps the process's current directory on the folder it shows.
wait_cwd() {
  local want=$1 what=$2 i
  for ((i = 0; i < 100; i++)); do
    [ "$(readlink "/proc/$pid/cwd" 2>/dev/null)" = "$want" ] && { sleep 0.3; return 0; }
    sleep 0.1
  done
  fail "$what: the directory list did not move to $want (it is at $(readlink "/proc/$pid/cwd" || true))"
}

# Sets gx gy gw gh to the position and size of a window on the screen.
geometry() {
  local k v
  gw=""
  while IFS='=' read -r k v; do
    case $k in X) gx=$v ;; Y) gy=$v ;; WIDTH) gw=$v ;; HEIGHT) gh=$v ;; esac
  done < <(xdotool getwindowgeometry --shell "$1" 2>/dev/null || true)
  [ -n "$gw" ] || fail "window $1 is gone"
}

# The program draws frame and caption itself, so the client area of a form sits centred
# sideways and at the bottom of its X window. Coordinates below are client pixels of the
# forms' layouts.
move_to() { # window client-width client-height x y
  geometry "$1"
  local side=$(((gw - $2) / 2))
  local top=$((gh - $3 - side))
  xdotool mousemove --sync $((gx + side + $4)) $((gy + top + $5))
}
click_at() { move_to "$@" && xdotool click 1; }

# The message boxes are laid out by the program: the first button is centred at the bottom,
# 12 pixels above the lower edge of the client area, 25 pixels high. The frame is measured
# on the main window.
click_box_button() {
  geometry "$1"
  xdotool mousemove --sync $((gx + gw / 2)) $((gy + gh - frame - 12 - 12)) click 1
}

# From the main window to a running extraction into d:\<folder>, made with Make Dir:
# install hot-spot, drive d: in the drive selector, Make Dir, Install, Extract.
# Sets main (the main window) and frame; needs drive_d and target (native folders).
walk_to_extraction() {
  local w popup i
  echo "Main window"
  wait_window "$main_title" "the main window" 30
  main=$wid
  geometry "$main"
  frame=$(((gw - 489) / 2))
  if [ -n "$shots" ]; then
    sleep 0.6 # the marquee and the credits are moving in
    shot 01-main-window
  fi
  move_to "$main" 489 387 330 110 # the install hot-spot lights up under the pointer
  sleep 0.3
  shot 02-install-hot-spot

  echo "Install hot-spot -> directory window"
  xdotool click 1
  wait_window "$dir_title" "the directory window"
  dir=$wid
  shot 03-directory-window

  echo "Drive selector -> d:"
  click_at "$dir" 321 335 160 26
  for ((i = 0; i < 50; i++)); do
    # The drop-down list is a window of its own; the toolkit names it after the program.
    popup=""
    for w in $(xdotool search --all --onlyvisible --pid "$pid" --class '^installer$' 2>/dev/null || true); do
      [ "$(xdotool getwindowname "$w" 2>/dev/null)" = installer ] && popup=$w
    done
    [ -n "$popup" ] && break
    sleep 0.1
  done
  [ -n "$popup" ] || fail "the drive list did not drop down"
  sleep 0.3
  shot 04-drive-list
  xdotool key d Return
  wait_cwd "$drive_d" "picking drive d:"
  shot 05-drive-d

  echo "Make Dir -> make-directory dialog"
  click_at "$dir" 321 335 163 265
  wait_window '^Make directory$' "the make-directory dialog"
  local mkd=$wid
  shot 06-make-directory
  click_at "$mkd" 282 101 64 80
  wait_gone '^Make directory$' "the make-directory dialog"
  wait_window "$dir_title" "the directory window (after Make Dir)"
  dir=$wid
  wait_cwd "$target" "making the folder $(basename "$target")"
  shot 07-new-folder

  echo "Install -> extraction window"
  click_at "$dir" 321 335 53 265
  wait_window "$extract_title" "the extraction window"
  local ext=$wid
  shot 08-extraction-window

  echo "Extract"
  click_at "$ext" 332 142 66 120
}

# Runs the extraction to its end. The disk prompt and the completion box are both
# information boxes over the extraction window; the completion box is the one that comes
# once every file is in place (the caller's installed_all tells), any other is a disk
# prompt, answered by the caller's insert_disk (which puts the next disk in) and Return
# (OK). Stops on the completion box with $box set.
follow_extraction() {
  local during="" i timeout=${1:-120}
  prompts=0
  box=""
  for ((i = 0; i < timeout * 10; i++)); do
    alive || fail "the installer ended during the extraction"
    [ -n "$(find_window "$problem_title")" ] && fail "the program reported a problem during the extraction"
    box=$(find_window '^Information$')
    if [ -n "$box" ]; then
      if ! installed_all; then
        prompts=$((prompts + 1))
        sleep 0.3
        shot "09-disk-prompt-$prompts"
        insert_disk "$prompts"
        # The prompt has OK and Cancel; OK is its default button.
        xdotool key Return
        wait_id_gone "$box" "the disk prompt"
        box=""
        continue
      fi
      break
    fi
    if [ -z "$during" ] && [ -n "$(find_window '^Extracting$')" ]; then
      shot 10-extracting
      during=1
    fi
    sleep 0.1
  done
  [ -n "$box" ] || fail "the completion box did not appear within ${timeout}s"
  sleep 0.4
  shot 11-install-completed
}

# OK on the completion box, back in the main window, out through the exit hot-spot.
finish_and_exit() {
  click_box_button "$box"
  wait_gone '^Information$' "the completion box"
  wait_gone "$dir_title" "the directory window"
  wait_window "$main_title" "the main window (after the installation)"
  shot 12-back-in-main-window
  echo "Exit hot-spot"
  click_at "$main" 489 387 430 168
  local i
  for ((i = 0; i < 100; i++)); do alive || break; sleep 0.1; done
  alive && fail "the installer did not end after the exit hot-spot"
  return 0
}

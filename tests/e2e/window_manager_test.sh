#!/usr/bin/env bash
# Under openbox and under metacity, a click on the main window leaves the window that takes
# the input on top and focused: the directory window, the make-directory dialog and a
# message box. The name typed into the make-directory dialog replaces the proposal.
. "$(dirname "$0")/e2e.sh" "$1"
printf 'x' >"$work/README1.TXT"
(cd "$work" && rar a -m1 -idq "$medium/game.rar" README1.TXT >/dev/null)
make_medium game.rar 1
mkdir -p "$medium/Tarnwick" # the proposed name exists: Ok warns

# A click on the main window beside the modal window, which must stay the top of the
# window manager's stacking order and keep the focus.
click_main_keeps_on_top() { # window what
  local i ids top
  clicks=$((${clicks:-0} + 1)) # a new point each time: the pointer must move
  click_at "$main" 489 387 30 $((240 + clicks * 10))
  for ((i = 0; i < 60; i++)); do
    ids=$(xprop -root _NET_CLIENT_LIST_STACKING 2>/dev/null)
    top=${ids##*[ ,]}
    [ $((top)) -eq "$1" ] && [ "$(xdotool getwindowfocus)" = "$1" ] && { shot "$wm_name-$2"; return 0; }
    sleep 0.05
  done
  fail "under $wm_name, $2 is not on top after a click on the main window ($ids)"
}

for wm_name in openbox metacity; do
  echo "$wm_name"
  start_display
  start_wm "$wm_name"
  rm -rf "$medium/Ember"
  start_installer
  wait_window "$main_title" "the main window"
  main=$wid
  key ctrl+i
  wait_window "$dir_title" "the directory window"
  click_main_keeps_on_top "$wid" directory-window
  key alt+m
  wait_window "$mkdir_title" "the make-directory dialog"
  mkd=$wid
  click_main_keeps_on_top "$mkd" make-directory
  key alt+o
  wait_box '^Warning$' "the already-exists warning"
  click_main_keeps_on_top "$wid" message-box
  key Return
  wait_window "$mkdir_title" "the make-directory dialog after the warning"
  xdotool type --delay 20 Ember
  key alt+o
  wait_window "$dir_title" "the directory window after Make Dir"
  wait_cwd "$medium/Ember" "the typed name"
  key alt+c
  quit_by_keyboard
  stop_display
done

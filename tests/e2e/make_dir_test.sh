#!/usr/bin/env bash
# The make-directory dialog by keyboard and mouse: a name that exists warns and the typing
# goes on in the name field, clicks on a button or the background leave the focus there,
# and an empty name fails like any invalid one.
. "$(dirname "$0")/e2e.sh" "$1"
printf 'x' >"$work/README1.TXT"
(cd "$work" && rar a -m1 -idq "$medium/game.rar" README1.TXT >/dev/null)
make_medium game.rar 1
mkdir -p "$drive_d/Tarnwick"
start_display
start_a11y_bus "$work/a11y"
start_installer
wait_window "$main_title" "the main window"
key ctrl+i
wait_window "$dir_title" "the directory window"
key d
wait_cwd "$drive_d"
key alt+m
wait_window "$mkdir_title" "the make-directory dialog"
mkd=$wid
key alt+o
wait_box '^Warning$' "the already-exists warning"
shot already-exists
key Return
wait_window "$mkdir_title" "the make-directory dialog after the warning"
click_at "$mkd" 282 101 140 58 # the background between the field and the buttons
key ctrl+a BackSpace
click_control "$mkd" "push button" Ok # with an empty name
wait_box '^Tarnwick Installer v1\.1$' "the error box of an empty name"
shot empty-name
key Return
wait_window "$mkdir_title" "the make-directory dialog after the error box"
key ctrl+a
xdotool type --delay 20 Games
key alt+o
wait_window "$dir_title" "the directory window after Make Dir"
wait_cwd "$drive_d/Games"

#!/usr/bin/env bash
# A missing volume: the disk prompt comes up, and its Cancel ends the installation in the
# directory window with "Install Aborted!" (the button found by its name, clicked).
. "$(dirname "$0")/e2e.sh" "$1"
payload=$work/payload
mkdir -p "$payload"
head -c 300000 /dev/urandom >"$payload/GRAPHICS.DAT"
(cd "$payload" && rar a -m0 -v100k -idq "$medium/game.rar" GRAPHICS.DAT >/dev/null)
volumes=$(ls "$medium"/game.part*.rar | wc -l)
make_medium game.part1.rar "$volumes"
mv "$medium/game.part2.rar" "$work/"
start_display
start_a11y_bus "$work/a11y"
start_installer
wait_window "$main_title" "the main window"
to_extraction_by_keyboard
key alt+e
wait_window "$info_title" "the disk prompt"
box=$wid
shot disk-prompt
click_control "$box" "push button" Cancel
wait_window '^Install Aborted!$' "the directory window after the prompt's Cancel"
[ -z "$(find_window "$info_title")" ] || fail "a box is still up"
shot aborted
key alt+c
quit_by_keyboard

#!/usr/bin/env bash
# A missing volume: the disk prompt comes up, and its Cancel ends the installation in the
# directory window with "Install Aborted!".
. "$(dirname "$0")/e2e.sh" "$1"
payload=$work/payload
mkdir -p "$payload"
head -c 300000 /dev/urandom >"$payload/GRAPHICS.DAT"
(cd "$payload" && rar a -m0 -v100k -idq "$medium/game.rar" GRAPHICS.DAT >/dev/null)
volumes=$(ls "$medium"/game.part*.rar | wc -l)
make_medium game.part1.rar "$volumes"
mv "$medium/game.part2.rar" "$work/"
start_display
start_installer
wait_window "$main_title" "the main window"
main=$wid
to_extraction_by_keyboard
key alt+e
wait_window "$info_title" "the disk prompt"
box=$wid
shot disk-prompt
# Buttons OK and Cancel, 75 wide with 8 between them, centred 12 pixels above the
# lower edge; the frame is as wide as the main window's.
eval "$(xdotool getwindowgeometry --shell "$main" | grep WIDTH | sed 's/^/main_/')"
frame=$(((main_WIDTH - 489) / 2))
eval "$(xdotool getwindowgeometry --shell "$box")"
xdotool mousemove --sync $((X + WIDTH / 2 + 41)) $((Y + HEIGHT - frame - 24)) click 1
wait_window '^Install Aborted!$' "the directory window after the prompt's Cancel"
[ -z "$(find_window "$info_title")" ] || fail "a box is still up"
shot aborted
key alt+c
quit_by_keyboard

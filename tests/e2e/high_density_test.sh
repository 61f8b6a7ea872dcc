#!/usr/bin/env bash
# The program on a screen of twice the pixel density (QT_SCALE_FACTOR=2), as 200 % scaling
# gives it: every window twice its size, driven at its doubled client pixels, and its text
# drawn at the screen's pixels, not enlarged from a picture at half the size.
scale=2
. "$(dirname "$0")/e2e.sh" "$1"

printf 'the game' >"$work/TARNWICK.EXE"
(cd "$work" && rar a -m3 -idq "$medium/game.rar" TARNWICK.EXE >/dev/null)
make_medium game.rar 1
start_display
start_installer QT_SCALE_FACTOR=2

# Window, logical client size: the X window holds twice as many pixels across and down.
doubled() {
  geometry "$1"
  [ "$gw" -ge $((2 * $2)) ] && [ "$gw" -lt $((2 * $2 + 40)) ] && [ "$gh" -ge $((2 * $3)) ] ||
    fail "$4 is ${gw}x${gh} on the screen, not twice its ${2}x${3} client area with its frame"
}
# Blocks of 2 x 2 screen pixels with an edge through them, in a rectangle of client pixels
# of a screenshot; the rectangle is kept beside it as <screenshot>-crop.png.
sharp_blocks() { # window client-width client-height x y width height screenshot
  client_point "$1" "$2" "$3" "$4" "$5"
  "$bin/block-detail" "$shots/$8.png" "$cx" "$cy" $((2 * $6)) $((2 * $7)) 2 "$shots/$8-crop.png"
}

wait_window "$main_title" "the main window"
doubled "$wid" 489 387 "the main window"
sleep 0.6 # the marquee moves in
shot main-window
key ctrl+i
wait_window "$dir_title" "the directory window"
dir=$wid
doubled "$dir" 321 335 "the directory window"
sleep 0.4
shot directory-window
# The label "Space free on this disk" (Label1 at 24,198, 219 x 13).
blocks=$(sharp_blocks "$dir" 321 335 24 198 219 13 directory-window)
echo "directory window, label text: $blocks blocks of 2x2 pixels with an edge inside"
[ "$blocks" -ge 20 ] || fail "the label's text is enlarged pixel by pixel ($blocks blocks with an edge)"
key d
wait_cwd "$drive_d"
key alt+m
wait_window "$mkdir_title" "the make-directory dialog"
key alt+o
wait_window "$dir_title" "the directory window after Make Dir"
wait_cwd "$drive_d/Tarnwick"
click_at "$wid" 321 335 53 265 # Install, at its doubled place
wait_window "$extract_title" "the extraction window"
doubled "$wid" 332 142 "the extraction window"
sleep 0.4
shot extraction-window
# Label1 and the per-file gauge with its "0%" (15,8 to 318,44).
blocks=$(sharp_blocks "$wid" 332 142 15 8 303 36 extraction-window)
echo "extraction window, label and gauge: $blocks blocks of 2x2 pixels with an edge inside"
[ "$blocks" -ge 10 ] || fail "the extraction window is enlarged pixel by pixel ($blocks blocks with an edge)"
key alt+e
wait_completion
shot completed
[ -f "$drive_d/Tarnwick/TARNWICK.EXE" ] || fail "the game was not installed at 2x"
key Return
wait_gone "$info_title" "the completion box"
quit_by_keyboard

#!/usr/bin/env bash
# At twice the pixel density (QT_SCALE_FACTOR=2, as 200 % scaling gives it) every window is
# twice its size, takes clicks at its doubled client pixels, and draws its text at the
# screen's pixels: blocks of 2 x 2 pixels with an edge inside, which a window enlarged
# pixel by pixel never has.
scale=2
. "$(dirname "$0")/e2e.sh" "$1"
printf 'the game' >"$work/TARNWICK.EXE"
(cd "$work" && rar a -idq "$medium/game.rar" TARNWICK.EXE >/dev/null)
make_medium game.rar 1
start_display
start_installer QT_SCALE_FACTOR=2

# Window, its client size, a client rectangle with text (x y width height), its name.
check_window() {
  geometry "$1"
  [ "$gw" -ge $((2 * $2)) ] && [ "$gw" -lt $((2 * $2 + 40)) ] && [ "$gh" -ge $((2 * $3)) ] ||
    fail "$8 is ${gw}x${gh} on the screen, not twice its ${2}x${3} client area and frame"
  sleep 0.5
  shot "$8"
  client_point "$1" "$2" "$3" "$4" "$5"
  local blocks
  blocks=$("$bin/block-detail" "$shots/$8.png" "$cx" "$cy" $((2 * $6)) $((2 * $7)) 2 "$shots/$8-crop.png")
  echo "$8: $blocks blocks of 2x2 pixels with an edge inside, in $shots/$8-crop.png"
  [ "$blocks" -ge 20 ] || fail "$8 is enlarged pixel by pixel"
}

wait_window "$main_title" "the main window"
shot main-window
key ctrl+i
wait_window "$dir_title" "the directory window"
check_window "$wid" 321 335 24 198 219 13 directory-window # "Space free on this disk"
key d
wait_cwd "$drive_d"
click_at "$wid" 321 335 53 265 # Install
wait_window "$extract_title" "the extraction window"
check_window "$wid" 332 142 15 8 303 36 extraction-window # Label1 and the gauge's "0%"
key alt+e
wait_completion
shot completed
[ -f "$drive_d/TARNWICK.EXE" ] || fail "nothing was installed into d:"

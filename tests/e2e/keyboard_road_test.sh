#!/usr/bin/env bash
# The whole road by keyboard alone into the proposed folder: Ctrl+I, a drive letter,
# Alt+M, Alt+O, Alt+I, Alt+E, Enter on the completion box, Ctrl+Q.
. "$(dirname "$0")/e2e.sh" "$1"

payload=$work/payload
mkdir -p "$payload/DATA"
head -c 300000 /dev/urandom >"$payload/DATA/GRAPHICS.DAT"
seq 20000 >"$payload/DATA/LEVEL1.MAP"
printf 'the game' >"$payload/TARNWICK.EXE"
(cd "$payload" && rar a -r -m3 -v200k -idq "$medium/game.rar" ./* >/dev/null)
make_medium game.part1.rar "$(ls "$medium"/game.part*.rar | wc -l)"
start_display
start_installer

to_extraction_by_keyboard
shot extraction-window
key alt+e
wait_completion
shot completed
same_files "$payload" "$drive_d/Tarnwick"
key Return
wait_gone "$info_title" "the completion box"
# Both requests, in whichever order the stand-ins finished.
for ((i = 0; i < 100; i++)); do [ "$(wc -l <"$shell_log" 2>/dev/null || echo 0)" -ge 2 ] && break; sleep 0.05; done
[ "$(sort "$shell_log" 2>/dev/null)" = "$(printf '%s\n' "$drive_d/Tarnwick" "$medium/README.TXT" | sort)" ] ||
  fail "the shell was asked to open: $(cat "$shell_log" 2>/dev/null)"
quit_by_keyboard

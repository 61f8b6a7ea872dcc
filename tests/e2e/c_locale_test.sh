#!/usr/bin/env bash
# In the C locale, names outside ASCII are installed exactly as the archive stores them.
. "$(dirname "$0")/e2e.sh" "$1"
payload=$work/payload
mkdir -p "$payload/Daten/Müll"
printf 'sauber' >"$payload/Daten/Müll/Straße.dat"
printf 'Ångström' >"$payload/Œuvre.txt"
(cd "$payload" && LC_ALL=C.UTF-8 rar a -r -m3 -idq "$medium/game.rar" ./* >/dev/null)
make_medium game.rar 1
start_display
start_installer LC_ALL=C LANG=C
to_extraction_by_keyboard
key alt+e
wait_completion
same_files "$payload" "$drive_d/Tarnwick"
key Return
quit_by_keyboard

#!/usr/bin/env bash
# The road a new user takes, under openbox: the medium's launcher started from the home
# folder, as a file manager starts it, and every proposal taken (Ctrl+I, Alt+I, Alt+E, OK,
# Ctrl+Q). Once the launcher has ended the game is in the home folder, as unrar unpacks it.
. "$(dirname "$0")/e2e.sh" "$1"
payload=$work/payload
mkdir -p "$payload/DATA" "$work/home" "$work/reference"
head -c 300000 /dev/urandom >"$payload/DATA/GRAPHICS.DAT"
printf 'the game' >"$payload/TARNWICK.EXE"
(cd "$payload" && rar a -r -m3 -v200k -idq "$medium/game.rar" ./* >/dev/null)
make_medium game.part1.rar "$(ls "$medium"/game.part*.rar | wc -l)"
unrar x -idq "$medium/game.part1.rar" "$work/reference/" >/dev/null
start_display
start_wm openbox
start_launcher "$work/home"

wait_window "$main_title" "the main window"
key ctrl+i
wait_window "$dir_title" "the directory window"
wait_cwd "$work/home" "the first target offered"
shot first-target
key alt+i
wait_window "$extract_title" "the extraction window"
key alt+e
wait_completion
shot completed
key Return
wait_window "$main_title" "the main window after the installation"
key ctrl+q
wait_ended Ctrl+Q
rc=0
wait "$launcher" || rc=$?
launcher=""
pid=""
[ "$rc" -eq 0 ] || fail "the launcher ended with exit code $rc"
while IFS= read -r f; do
  cmp -s "$work/reference/$f" "$work/home/$f" || fail "$f is not installed as unrar unpacks it"
done < <(cd "$work/reference" && find . -type f)
copy=$(ls -d "$work/tmp"/tarnwick-install.* 2>/dev/null || true)
[ -z "$copy" ] || [ "$(ls -A "$copy" | sort | tr '\n' ' ')" = ".launcher-files README.TXT " ] ||
  fail "the launcher left in its copy: $(ls -A "$copy")"
echo "$(find "$work/reference" -type f | wc -l) files installed into the home folder, identical to unrar's"

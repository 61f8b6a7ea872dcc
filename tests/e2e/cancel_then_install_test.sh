#!/usr/bin/env bash
# Cancel in the middle of a long entry, then Install at once: the program never locks up;
# once the run has finished its entry, Install opens the extraction window again and the
# installation completes.
. "$(dirname "$0")/e2e.sh" "$1"
extract_until_mid_entry 5 50
click_at "$ext" 332 142 266 120 # Cancel
wait_window '^Install Aborted!$' "the directory window after Cancel"
dir=$wid
click_at "$dir" 321 335 53 265 # Install, while the run still unpacks its entry
[ "$(size_of "$(big_file)")" -lt "$big_total" ] || echo "(the entry was finished before Install was clicked)"
shot install-while-winding-down
# As a user would: Install again until the extraction window opens.
for ((i = 0; i < 600; i++)); do
  alive || fail "the installer ended"
  [ -n "$(find_window "$problem_title")" ] && fail "a problem was reported after Install"
  [ -n "$(find_window "$extract_title")" ] && break
  [ -n "$(find_window "$dir_title")" ] || fail "no window takes input: the directory window is gone"
  click_at "$dir" 321 335 53 265
  sleep 0.1
done
wait_window "$extract_title" "the extraction window again"
[ "$(size_of "$(big_file)")" -eq "$big_total" ] || fail "the cancelled entry was not finished"
shot extraction-again
key alt+e
wait_completion 120
[ "$(size_of "$(big_file)")" -eq "$big_total" ] || fail "BIG.DAT is incomplete"
key Return
quit_by_keyboard

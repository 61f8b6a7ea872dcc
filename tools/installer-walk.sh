# shellcheck shell=bash
# The mouse road of tools/check-medium through a whole installation, on the functions of
# installer-x.sh (see there what the caller sets; the accessibility bus must be running).
# Buttons, hot-spots and the drive selector are found by their role and name on the bus
# and clicked at their centre. Screenshots are taken once the window has painted.
source "$(dirname "${BASH_SOURCE[0]}")/installer-x.sh"

# A screenshot of a window that has just come up or changed, once it has painted.
settled_shot() {
  [ -n "$shots" ] || return 0
  sleep 0.4
  shot "$1"
}

# From the main window to a running extraction into d:\<folder>, made with Make Dir:
# install hot-spot, drive d: in the drive selector, Make Dir, Install, Extract.
# Sets main (the main window); needs drive_d and target (native folders).
walk_to_extraction() {
  local w popup i
  echo "Main window"
  wait_window "$main_title" "the main window" 30
  main=$wid
  if [ -n "$shots" ]; then
    sleep 0.6 # the marquee and the credits are moving in
    shot 01-main-window
  fi
  control_point "$main" "push button" "Install Game"
  xdotool mousemove --sync "$cx" "$cy" # the install hot-spot lights up under the pointer
  settled_shot 02-install-hot-spot

  echo "Install hot-spot -> directory window"
  xdotool click 1
  wait_window "$dir_title" "the directory window"
  dir=$wid
  settled_shot 03-directory-window

  echo "Drive selector -> d:"
  click_control "$dir" "combo box" Drive
  for ((i = 0; i < 100; i++)); do
    # The drop-down list is a window of its own; the toolkit names it after the program.
    popup=""
    for w in $(xdotool search --all --onlyvisible --pid "$pid" --class '^installer$' 2>/dev/null || true); do
      [ "$(xdotool getwindowname "$w" 2>/dev/null)" = installer ] && popup=$w
    done
    [ -n "$popup" ] && break
    sleep 0.05
  done
  [ -n "$popup" ] || fail "the drive list did not drop down"
  settled_shot 04-drive-list
  xdotool key d Return
  wait_cwd "$drive_d" "picking drive d:"
  settled_shot 05-drive-d

  echo "Make Dir -> make-directory dialog"
  click_control "$dir" "push button" "Make Dir"
  wait_window "$mkdir_title" "the make-directory dialog"
  local mkd=$wid
  settled_shot 06-make-directory
  click_control "$mkd" "push button" Ok
  wait_gone "$mkdir_title" "the make-directory dialog"
  wait_window "$dir_title" "the directory window (after Make Dir)"
  dir=$wid
  wait_cwd "$target" "making the folder $(basename "$target")"
  settled_shot 07-new-folder

  echo "Install -> extraction window"
  click_control "$dir" "push button" Install
  wait_window "$extract_title" "the extraction window"
  local ext=$wid
  settled_shot 08-extraction-window

  echo "Extract"
  click_control "$ext" "push button" Extract
}

# Runs the extraction to its end. The disk prompt and the completion box are both
# information boxes over the extraction window; the completion box is the one that comes
# once every file is in place (the caller's installed_all tells), any other is a disk
# prompt, answered by the caller's insert_disk (which puts the next disk in) and Return
# (OK). Stops on the completion box with $box set.
follow_extraction() {
  local during="" i timeout=${1:-120}
  prompts=0
  box=""
  for ((i = 0; i < timeout * 20; i++)); do
    alive || fail "the installer ended during the extraction"
    [ -n "$(find_window "$problem_title")" ] && fail "the program reported a problem during the extraction"
    box=$(focused_window "$info_title")
    if [ -n "$box" ]; then
      if ! installed_all; then
        prompts=$((prompts + 1))
        settled_shot "09-disk-prompt-$prompts"
        insert_disk "$prompts"
        # The prompt has OK and Cancel; OK is its default button.
        key Return
        wait_id_gone "$box" "the disk prompt"
        box=""
        continue
      fi
      break
    fi
    if [ -z "$during" ] && [ -n "$(find_window '^Extracting$')" ]; then
      shot 10-extracting
      during=1
    fi
    sleep 0.05
  done
  [ -n "$box" ] || fail "the completion box did not appear within ${timeout}s"
  settled_shot 11-install-completed
}

# OK on the completion box, back in the main window, out through the exit hot-spot.
finish_and_exit() {
  click_control "$box" "push button" OK
  wait_gone "$info_title" "the completion box"
  wait_gone "$dir_title" "the directory window"
  wait_window "$main_title" "the main window (after the installation)"
  settled_shot 12-back-in-main-window
  echo "Exit hot-spot"
  click_control "$main" "push button" "Exit Installer"
  wait_ended "the exit hot-spot"
}

# Shared helpers of the end-to-end tests: each test sources this file with the build folder
# as its argument, makes its own installation medium, starts the real installer on an Xvfb
# display of its own and drives it with xdotool as a user does, through the functions of
# tools/installer-x.sh. Windows are recognised by their titles; every wait polls with a
# deadline.
set -euo pipefail

build=$(cd "$1" && pwd)
bin=$build/bin
me=$(basename "$0" .sh)
for tool in Xvfb xdotool rar; do
  command -v "$tool" >/dev/null || { echo "$me: $tool is missing (run scripts/setup)" >&2; exit 1; }
done

work=$(cd "$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-e2e.XXXXXX")" && pwd -P)
shots=$build/e2e-screenshots/$me
rm -rf "$shots"
mkdir -p "$shots" "$work/bin"
medium=$work/medium
drive_d=$work/drive-d
shell_log=$work/xdg-open.log
mkdir -p "$medium" "$drive_d" "$work/run"
chmod 700 "$work/run"
pid=""
screenshot_tool=$bin/screenshot
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/installer-x.sh"

launcher=""
cleanup() {
  [ -z "$launcher" ] || kill "$launcher" 2>/dev/null || true
  if alive; then
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  stop_display
  rm -rf "$work"
}
trap cleanup EXIT

# The medium: the program and its music from the build, install.ini, the information file
# and the post-install file. The archive is the caller's; $1 is its first volume, $2 the
# number of volumes.
make_medium() {
  cp "$bin/installer" "$medium/"
  [ -f "$bin/libinstall.so" ] && cp "$bin/libinstall.so" "$medium/"
  "$bin/modgen" "$medium/install.dat"
  printf '[OPTIONS]\r\nAPPZ......=Tarnwick\r\nSIZE......=1\r\nDIR.......=Tarnwick\r\nFILERAR...=%s\r\nNFO.......=TARNWICK.NFO\r\nREG.......=README.TXT\r\nSCRTXT....=Welcome\r\nFILES.....=%s\r\n' \
    "$1" "$2" >"$medium/install.ini"
  printf 'Tarnwick\r\n' >"$medium/TARNWICK.NFO"
  printf 'Thanks\r\n' >"$medium/README.TXT"
  # The shell's "open" is recorded instead of starting a file manager.
  printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s"\n' "$shell_log" >"$work/bin/xdg-open"
  chmod +x "$work/bin/xdg-open"
}

# Starts the installer from its medium with d: mapped to a fresh folder; extra
# environment assignments may be given.
start_installer() {
  (cd "$medium" && exec env QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy LC_ALL=C.UTF-8 XDG_RUNTIME_DIR="$work/run" \
    INSTALLER_DRIVES="c=/;d=$drive_d,label=E2E" PATH="$work/bin:$PATH" "$@" ./installer \
    >"$work/installer.log" 2>&1) &
  pid=$!
}

# Starts the installer through the medium's launcher, typed from folder $1, which is also
# the home folder; the launcher's copy goes under $work/tmp. Sets launcher and pid.
start_launcher() {
  local i
  cp "$(dirname "${BASH_SOURCE[0]}")/../../tools/medium-launcher" "$medium/install"
  mkdir -p "$work/tmp"
  (cd "$1" && exec env HOME="$1" TMPDIR="$work/tmp" SDL_AUDIODRIVER=dummy LC_ALL=C.UTF-8 \
    XDG_RUNTIME_DIR="$work/run" INSTALLER_DRIVES="c=/;d=$drive_d,label=E2E" PATH="$work/bin:$PATH" \
    "$medium/install" >"$work/installer.log" 2>&1) &
  launcher=$!
  for ((i = 0; i < 300; i++)); do
    pid=$(pgrep -P "$launcher" -x installer || true)
    [ -n "$pid" ] && return 0
    kill -0 "$launcher" 2>/dev/null || fail "the launcher ended before the installer started"
    sleep 0.1
  done
  fail "the launcher did not start the installer within 30s"
}

# Size of a file, 0 while it is not there.
size_of() { stat -c %s "$1" 2>/dev/null || echo 0; }

# Payload files equal to what the installer put into a folder.
same_files() { diff -r "$1" "$2" >/dev/null || fail "the installed files in $2 differ from $1"; }

# From the main window to the extraction window by keyboard alone, into the proposed
# folder on drive d:.
to_extraction_by_keyboard() {
  wait_window "$main_title" "the main window"
  key ctrl+i
  wait_window "$dir_title" "the directory window"
  key d # a plain letter picks the drive in the drive selector
  wait_cwd "$drive_d"
  key alt+m
  wait_window "$mkdir_title" "the make-directory dialog"
  key alt+o
  wait_window "$dir_title" "the directory window after Make Dir"
  wait_cwd "$drive_d/Tarnwick"
  key alt+i
  wait_window "$extract_title" "the extraction window"
}

# Waits for the completion box; any other box on the way fails.
wait_completion() {
  local i
  for ((i = 0; i < ${1:-60} * 20; i++)); do
    alive || fail "the installer ended during the extraction"
    [ -n "$(find_window "$problem_title")" ] && fail "a problem was reported during the extraction"
    wid=$(focused_window "$info_title")
    [ -n "$wid" ] && return 0
    sleep 0.05
  done
  fail "the completion box did not appear"
}

# Ends the program from the main window and expects exit code 0.
quit_by_keyboard() {
  wait_window "$main_title" "the main window"
  key ctrl+q
  wait_ended Ctrl+Q
  local rc=0
  wait "$pid" || rc=$?
  pid=""
  [ "$rc" -eq 0 ] || fail "the installer ended with exit code $rc"
}

# An archive whose second entry takes a while to unpack: a small file, then BIG.DAT of
# $1 MiB of zeros, which packs into a few kilobytes.
long_entry_mib=${long_entry_mib:-512}
make_long_archive() {
  printf 'read me\r\n' >"$work/README1.TXT"
  (cd "$work" && LC_ALL=C.UTF-8 rar a -m1 -idq "$medium/game.rar" README1.TXT >/dev/null)
  head -c "${long_entry_mib}M" /dev/zero | (cd "$work" && rar a -m1 -siBIG.DAT -idq "$medium/game.rar" >/dev/null)
  make_medium game.rar 1
}
big_file() { echo "$drive_d/Tarnwick/BIG.DAT"; }
big_total=$((long_entry_mib * 1048576))

# Waits until the big entry is partly written, between the given shares in percent.
wait_mid_entry() {
  local i s
  for ((i = 0; i < 1200; i++)); do
    alive || fail "the installer ended during the extraction"
    s=$(size_of "$(big_file)")
    if [ "$s" -gt $((big_total / 100 * $1)) ]; then
      [ "$s" -lt $((big_total / 100 * $2)) ] && return 0
      fail "the long entry was past ${2}% before the test could act; make it longer"
    fi
    sleep 0.02
  done
  fail "the long entry did not start"
}

# The long-entry medium, the program on the display, the extraction window by keyboard and
# Extract pressed; returns with the extraction window in $ext once the big entry is between
# $1 and $2 percent written.
extract_until_mid_entry() {
  make_long_archive
  start_display
  start_installer
  to_extraction_by_keyboard
  ext=$wid
  key alt+e
  wait_mid_entry "$1" "$2"
}

# Shared helpers of the end-to-end tests: each test sources this file with the build folder
# as its argument, makes its own installation medium, starts the real installer on an Xvfb
# display of its own and drives it with xdotool as a user does. Windows are recognised by
# their titles; every wait polls with a deadline.
set -euo pipefail

build=$(cd "$1" && pwd)
bin=$build/bin
test_name=$(basename "$0" .sh)
for tool in Xvfb xdotool rar; do
  command -v "$tool" >/dev/null || { echo "$test_name: $tool is missing (run scripts/setup)" >&2; exit 1; }
done

work=$(cd "$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-e2e.XXXXXX")" && pwd -P)
shots=$build/e2e-screenshots/$test_name
rm -rf "$shots"
mkdir -p "$shots" "$work/bin"
medium=$work/medium
drive_d=$work/drive-d
shell_log=$work/xdg-open.log
mkdir -p "$medium" "$drive_d" "$work/run"
chmod 700 "$work/run"
pid=""
xvfb=""

cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  if [ -n "$xvfb" ]; then
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

alive() { [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; }

titles() {
  local w out=""
  alive || return 0
  for w in $(xdotool search --all --onlyvisible --pid "$pid" --name . 2>/dev/null || true); do
    out+=" '$(xdotool getwindowname "$w" 2>/dev/null || true)'"
  done
  echo "${out:- none}"
}

fail() {
  echo "$test_name: FAILED: $*" >&2
  echo "$test_name: windows on the screen:$(titles)" >&2
  [ -s "$work/installer.log" ] && sed 's/^/  installer: /' "$work/installer.log" | tail -n 20 >&2
  "$bin/screenshot" "$shots/failure.png" 2>/dev/null && echo "$test_name: the screen: $shots/failure.png" >&2
  exit 1
}

shot() { "$bin/screenshot" "$shots/$1.png" || fail "could not save $shots/$1.png"; }

# A display number of our own: servers started at the same moment can both take the same
# free number, so each test holds a lock on its number for as long as it runs, and takes
# none that a server already uses.
start_display() {
  local n i
  for ((n = 40; n < 100; n++)); do
    [ -e "/tmp/.X11-unix/X$n" ] && continue
    exec {display_lock}>"${TMPDIR:-/tmp}/tarnwick-e2e-display-$n.lock"
    if flock -n "$display_lock"; then
      [ -e "/tmp/.X11-unix/X$n" ] || break
    fi
    exec {display_lock}>&-
  done
  [ "$n" -lt 100 ] || fail "no free X display number"
  Xvfb ":$n" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  export DISPLAY=:$n
  for ((i = 0; i < 100; i++)); do
    kill -0 "$xvfb" 2>/dev/null || fail "Xvfb did not start on $DISPLAY"
    xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  fail "the display $DISPLAY does not answer"
}

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

main_title='^Tarnwick Installer\.\.\.$'
dir_title='^(Select a Directory|Insufficient space on this disk!|Install Aborted!)$'
mkdir_title='^Make directory$'
extract_title='^(Prepare to Install\.\.\.\.|Extracting)$'
info_title='^Information$'
# The error box carries the application title.
problem_title='^(Warning|Tarnwick Installer v1\.1)$'

find_window() { xdotool search --all --onlyvisible --pid "$pid" --name "$1" 2>/dev/null | head -n 1 || true; }

# Waits until a window with a matching title is up and has the keyboard; sets $wid.
wait_window() {
  local pattern=$1 what=$2 timeout=${3:-20} i
  for ((i = 0; i < timeout * 20; i++)); do
    alive || fail "the installer ended while waiting for $what"
    wid=$(find_window "$pattern")
    [ -n "$wid" ] && [ "$(xdotool getwindowfocus 2>/dev/null)" = "$wid" ] && return 0
    [ -z "${expect_box:-}" ] && [ -n "$(find_window "$problem_title")" ] &&
      fail "a problem was reported while waiting for $what"
    sleep 0.05
  done
  fail "$what did not appear within ${timeout}s"
}

# Waits for a warning or error box that is expected.
wait_box() { expect_box=1 wait_window "$@"; }

wait_gone() {
  local pattern=$1 what=$2 i
  for ((i = 0; i < 200; i++)); do
    [ -z "$(find_window "$pattern")" ] && return 0
    sleep 0.05
  done
  fail "$what did not close"
}

# Waits until the directory list (which keeps the process's current directory on the
# folder it shows) is at a native folder.
wait_cwd() {
  local i
  for ((i = 0; i < 200; i++)); do
    [ "$(readlink "/proc/$pid/cwd" 2>/dev/null)" = "$1" ] && return 0
    sleep 0.05
  done
  fail "the directory list did not move to $1 (it is at $(readlink "/proc/$pid/cwd" || true))"
}

key() { xdotool key --clearmodifiers "$@"; }

# The program draws frame and caption itself: the client area sits centred sideways and at
# the bottom of its X window. Sets cx cy to the screen position of a client pixel.
client_point() { # window client-width client-height x y
  local k v gx=0 gy=0 gw="" gh=0
  while IFS='=' read -r k v; do
    case $k in X) gx=$v ;; Y) gy=$v ;; WIDTH) gw=$v ;; HEIGHT) gh=$v ;; esac
  done < <(xdotool getwindowgeometry --shell "$1" 2>/dev/null || true)
  [ -n "$gw" ] || fail "window $1 is gone"
  local side=$(((gw - $2) / 2))
  cx=$((gx + side + $4))
  cy=$((gy + gh - $3 - side + $5))
}
click_at() { client_point "$@" && xdotool mousemove --sync "$cx" "$cy" click 1; }

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
    wid=$(find_window "$info_title")
    [ -n "$wid" ] && [ "$(xdotool getwindowfocus 2>/dev/null)" = "$wid" ] && return 0
    sleep 0.05
  done
  fail "the completion box did not appear"
}

# Ends the program from the main window and expects exit code 0.
quit_by_keyboard() {
  wait_window "$main_title" "the main window"
  key ctrl+q
  local i rc=0
  for ((i = 0; i < 100; i++)); do alive || break; sleep 0.05; done
  alive && fail "Ctrl+Q did not end the program"
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

# shellcheck shell=bash
# Shell functions that drive the installer's windows on an X display of their own with
# xdotool, as a user would: the display, windows found by title and the installer's pid,
# waits that poll with a deadline, clicks at client pixels, screenshots, and a failure
# report with the installer's windows and output; controls found by role and name on the
# desktop's accessibility bus (start_a11y_bus, click_control). Sourced by
# tools/installer-walk.sh and the end-to-end tests. The caller sets:
#   me               the name messages begin with
#   pid              the installer's process id (windows are searched by it), or empty
#   work             a folder whose installer.log holds the installer's output
#   shots            a folder for screenshots, or empty for none
#   screenshot_tool  optional: the screenshot program (default: this checkout's build)
#   scale            optional: the device pixel ratio the program runs at (QT_SCALE_FACTOR,
#                    a whole number; default 1): screen and client pixels grow by it

screenshot_tool=${screenshot_tool:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/bin/screenshot}
control_at=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/control-at

main_title='^Tarnwick Installer\.\.\.$'
dir_title='^(Select a Directory|Insufficient space on this disk!|Install Aborted!)$'
mkdir_title='^Make directory$'
extract_title='^(Prepare to Install\.\.\.\.|Extracting)$'
info_title='^Information$'
# The error box of a bad folder name carries the application title.
problem_title='^(Warning|Error|Tarnwick Installer v1\.1)$'

alive() { [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; }

taken=()
shot() {
  [ -n "$shots" ] || return 0
  "$screenshot_tool" "$shots/$1.png" 2>/dev/null || fail "could not save $shots/$1.png"
  taken+=("$shots/$1.png")
  echo "  screenshot: $shots/$1.png"
}

fail() {
  echo "$me: FAILED: $*" >&2
  if alive; then
    local w titles=""
    for w in $(xdotool search --all --onlyvisible --pid "$pid" --name . 2>/dev/null || true); do
      titles+=" '$(xdotool getwindowname "$w" 2>/dev/null || true)'"
    done
    echo "$me: windows of the installer on the screen:${titles:- none}" >&2
  fi
  if [ -s "$work/installer.log" ]; then
    echo "$me: the installer's output:" >&2
    tail -n 20 "$work/installer.log" | sed 's/^/  /' >&2
  fi
  if [ -n "$shots" ] && [ -n "${DISPLAY:-}" ] && [ -x "$screenshot_tool" ] &&
    "$screenshot_tool" "$shots/failure.png" 2>/dev/null; then
    echo "$me: the screen at that moment: $shots/failure.png" >&2
  fi
  exit 1
}

# An Xvfb on a display number of its own, DISPLAY pointed at it. Servers started at the
# same moment can both take the same free number (as -displayfd does), so the number is
# held by a lock for as long as the server runs, and none is taken that a server already
# uses; a server that dies at start (another one took the number unlocked) moves on to the
# next number. Only the server holds the lock: a process the run leaves behind (the
# launcher removes the post-install file minutes later) must not keep the number.
# -noreset: without it the server resets when its last client leaves (as the readiness
# probe below does), and a program connecting during that reset is refused.
xvfb=""
start_display() {
  local n i lock held
  for ((n = 40; n < 100; n++)); do
    [ -e "/tmp/.X11-unix/X$n" ] && continue
    lock=/tmp/tarnwick-display-$n.lock
    { exec {held}>>"$lock"; } 2>/dev/null || continue
    chmod a+rw "$lock" 2>/dev/null || true
    if ! flock -n "$held" || [ -e "/tmp/.X11-unix/X$n" ]; then
      exec {held}>&-
      continue
    fi
    Xvfb ":$n" -screen 0 $((800 * ${scale:-1}))x$((600 * ${scale:-1}))x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb=$!
    exec {held}>&-
    export DISPLAY=:$n
    for ((i = 0; i < 100; i++)); do
      kill -0 "$xvfb" 2>/dev/null || break
      xdotool getdisplaygeometry >/dev/null 2>&1 && kill -0 "$xvfb" 2>/dev/null && return 0
      sleep 0.1
    done
    stop_display
  done
  fail "no X display could be started on the numbers 40 to 99"
}
# A window manager (openbox or metacity) on that display, once it has taken the screen.
wm=""
start_wm() {
  local i
  command -v "$1" >/dev/null || fail "$1 is missing (run scripts/setup)"
  "$1" --sm-disable </dev/null >/dev/null 2>&1 &
  wm=$!
  for ((i = 0; i < 100; i++)); do
    kill -0 "$wm" 2>/dev/null || fail "$1 ended at its start"
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    sleep 0.1
  done
  fail "$1 did not take the screen within 10s"
}
stop_display() {
  stop_a11y_bus
  if [ -n "$wm" ]; then
    kill "$wm" 2>/dev/null || true
    wait "$wm" 2>/dev/null || true
    wm=""
  fi
  if [ -n "$xvfb" ]; then
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
    xvfb=""
  fi
}

# The desktop's accessibility bus on that display, as a desktop with assistive technology
# switched on has it: a session bus whose socket is in folder $1 (which must be reachable
# under the same path wherever the program runs) and the bus launcher on it, its own bus
# in $1/at-spi. Exports DBUS_SESSION_BUS_ADDRESS: a program started with it turns its
# toolkit's bridge on. stop_display ends it. No coordinates are guessed without it.
a11y_daemon="" a11y_launcher=""
start_a11y_bus() {
  local dir=$1 tool out i
  [ -n "$xvfb" ] || fail "the accessibility bus is started on the display of start_display"
  for tool in dbus-daemon dbus-send /usr/libexec/at-spi-bus-launcher; do
    command -v "$tool" >/dev/null || fail "$tool is missing (run scripts/setup)"
  done
  /usr/bin/python3 -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null ||
    fail "python3-pyatspi is missing (run scripts/setup)"
  mkdir -p "$dir" && chmod 700 "$dir"
  out=$(dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1 \
    --address="unix:path=$dir/session" 2>&1) || fail "the session bus did not start: $out"
  DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$out")
  a11y_daemon=$(sed -n 2p <<<"$out")
  export DBUS_SESSION_BUS_ADDRESS
  # Its own messages (and those of the registry it starts) go to a log.
  XDG_RUNTIME_DIR=$dir /usr/libexec/at-spi-bus-launcher --launch-immediately --a11y=1 \
    </dev/null >>"$dir/launcher.log" 2>&1 &
  a11y_launcher=$!
  # Asked before the launcher holds its name, the session bus would start another one.
  for ((i = 0; i < 100; i++)); do
    kill -0 "$a11y_launcher" 2>/dev/null || fail "the accessibility bus launcher ended at its start: $(tail -n 3 "$dir/launcher.log")"
    if dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
      org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus 2>/dev/null | grep -q 'boolean true'; then
      dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress 2>/dev/null |
        grep -q "unix:path=$dir/at-spi/" && return 0
    fi
    sleep 0.1
  done
  fail "the accessibility bus did not come up within 10s"
}
stop_a11y_bus() {
  if [ -n "$a11y_launcher" ]; then
    kill "$a11y_launcher" 2>/dev/null || true
    wait "$a11y_launcher" 2>/dev/null || true
    a11y_launcher=""
  fi
  # Forked away, so not a child to wait for.
  [ -z "$a11y_daemon" ] || kill "$a11y_daemon" 2>/dev/null || true
  a11y_daemon=""
}

key() { xdotool key --clearmodifiers "$@"; }

# The visible window of the installer whose title matches an extended regular expression
# (the program sets the form captions as X window titles), or nothing.
find_window() {
  xdotool search --all --onlyvisible --pid "$pid" --name "$1" 2>/dev/null | head -n 1 || true
}

# The same window once it has the keyboard, or nothing.
focused_window() {
  local w
  w=$(find_window "$1")
  [ -n "$w" ] && [ "$(xdotool getwindowfocus 2>/dev/null)" = "$w" ] && echo "$w"
  return 0
}

# Waits until a window with a matching title is up and has the keyboard; sets $wid.
# A warning or error box on the way fails, unless it is the one awaited (wait_box).
wait_window() {
  local pattern=$1 what=$2 timeout=${3:-20} i
  for ((i = 0; i < timeout * 20; i++)); do
    alive || fail "the installer ended while waiting for $what"
    wid=$(focused_window "$pattern")
    [ -n "$wid" ] && return 0
    [ -z "${expect_box:-}" ] && [ -n "$(find_window "$problem_title")" ] &&
      fail "a problem was reported while waiting for $what"
    sleep 0.05
  done
  fail "$what did not appear within ${timeout}s"
}
wait_box() { expect_box=1 wait_window "$@"; }

wait_gone() {
  local pattern=$1 what=$2 timeout=${3:-10} i
  for ((i = 0; i < timeout * 20; i++)); do
    [ -z "$(find_window "$pattern")" ] && return 0
    sleep 0.05
  done
  fail "$what did not close within ${timeout}s"
}

# Waits until one window (by id) is no longer on the screen.
wait_id_gone() {
  local id=$1 what=$2 i
  for ((i = 0; i < 200; i++)); do
    xdotool search --all --onlyvisible --pid "$pid" --name . 2>/dev/null | grep -qx "$id" || return 0
    sleep 0.05
  done
  fail "$what did not close within 10s"
}

# Waits until the installer has ended.
wait_ended() {
  local i
  for ((i = 0; i < 200; i++)); do
    alive || return 0
    sleep 0.05
  done
  fail "the installer did not end after $1"
}

# Waits until the installer's current directory is a native folder: the directory list
# keeps the process's current directory on the folder it shows.
wait_cwd() {
  local want=$1 what=${2:-the directory list} i
  for ((i = 0; i < 200; i++)); do
    [ "$(readlink "/proc/$pid/cwd" 2>/dev/null)" = "$want" ] && return 0
    sleep 0.05
  done
  fail "$what: the directory list did not move to $want (it is at $(readlink "/proc/$pid/cwd" || true))"
}

# Sets gx gy gw gh to the position and size of a window on the screen.
geometry() {
  local k v
  gw=""
  while IFS='=' read -r k v; do
    case $k in X) gx=$v ;; Y) gy=$v ;; WIDTH) gw=$v ;; HEIGHT) gh=$v ;; esac
  done < <(xdotool getwindowgeometry --shell "$1" 2>/dev/null || true)
  [ -n "$gw" ] || fail "window $1 is gone"
}

# The program draws frame and caption itself, so the client area of a form sits centred
# sideways and at the bottom of its X window. Sets cx cy to the screen position of a
# client pixel of the form's layout (logical pixels, times the scale on the screen).
client_point() { # window client-width client-height x y
  geometry "$1"
  local s=${scale:-1}
  local side=$(((gw - $2 * s) / 2))
  cx=$((gx + side + $4 * s))
  cy=$((gy + gh - $3 * s - side + $5 * s))
}
move_to() { client_point "$@" && xdotool mousemove --sync "$cx" "$cy"; }
click_at() { move_to "$@" && xdotool click 1; }

# The centre of a control of a window (by id), found on the accessibility bus by its role
# and name in the window its title names, once it shows and is enabled; sets cx cy. The
# bridge reports logical pixels at any device pixel ratio, so the control is placed on
# the window by the ratio of the window's size on the screen to its size on the bus.
control_point() { # window role name
  local title out x y w h ax ay aw ah r
  title=$(xdotool getwindowname "$1" 2>/dev/null) || fail "window $1 is gone"
  [ -n "$a11y_launcher" ] || fail "no accessibility bus to find the $2 \"$3\" on (start_a11y_bus)"
  out=$("$control_at" ${pid:+--pid "$pid"} "$title" "$2" "$3" 2>&1) || fail "${out#control-at: }"
  read -r x y w h ax ay aw ah <<<"$(tr '\n' ' ' <<<"$out")"
  geometry "$1"
  r=$((aw > 0 ? gw / aw : 0))
  [ "$r" -ge 1 ] && [ $((aw * r)) -eq "$gw" ] && [ $((ah * r)) -eq "$gh" ] ||
    fail "the window \"$title\" is ${gw}x${gh} on the screen but ${aw}x${ah} on the accessibility bus"
  cx=$((gx + (x - ax) * r + w * r / 2))
  cy=$((gy + (y - ay) * r + h * r / 2))
}
# A real click there, as a user makes it.
click_control() { control_point "$@" && xdotool mousemove --sync "$cx" "$cy" click 1; }

#!/usr/bin/env bash
# A whole installation through the accessibility bus alone, as a screen reader's user
# makes it (tests/e2e/screen_reader.py): a session bus and the desktop's accessibility bus
# of the test's own, the toolkit's bridge switched on, no key or click sent.
. "$(dirname "$0")/e2e.sh" "$1"
for tool in dbus-daemon /usr/libexec/at-spi-bus-launcher; do
  command -v "$tool" >/dev/null || fail "$tool is missing (run scripts/setup)"
done
/usr/bin/python3 -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null ||
  fail "python3-pyatspi is missing (run scripts/setup)"

long_entry_mib=${long_entry_mib:-512}
make_long_archive
mkdir -p "$drive_d/Games"
start_display

# The session bus starts the accessibility bus when the toolkit asks for it.
bus_pid=""
stop_bus() { [ -n "$bus_pid" ] && kill "$bus_pid" 2>/dev/null || true; }
trap 'stop_bus; cleanup' EXIT
bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1 --nopidfile)
DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$bus")
bus_pid=$(sed -n 2p <<<"$bus")
export DBUS_SESSION_BUS_ADDRESS

start_installer QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
/usr/bin/python3 "$(dirname "$0")/screen_reader.py" "$pid" Games || fail "the screen reader's walk failed"
wait_ended "the exit hot-spot"
rc=0
wait "$pid" || rc=$?
pid=""
[ "$rc" -eq 0 ] || fail "the installer ended with exit code $rc"
[ "$(size_of "$drive_d/Games/BIG.DAT")" -eq "$big_total" ] || fail "BIG.DAT was not installed whole"
[ -f "$drive_d/Games/README1.TXT" ] || fail "README1.TXT was not installed"
echo "$me: passed"

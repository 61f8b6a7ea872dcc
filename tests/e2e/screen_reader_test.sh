#!/usr/bin/env bash
# A whole installation through the accessibility bus alone, as a screen reader's user
# makes it (tests/e2e/screen_reader.py): a session bus and the desktop's accessibility bus
# of the test's own, which switch the toolkit's bridge on, no key or click sent.
. "$(dirname "$0")/e2e.sh" "$1"
long_entry_mib=${long_entry_mib:-512}
make_long_archive
mkdir -p "$drive_d/Games"
start_display
start_a11y_bus "$work/a11y"
start_installer
/usr/bin/python3 "$(dirname "$0")/screen_reader.py" "$pid" Games || fail "the screen reader's walk failed"
wait_ended "the exit hot-spot"
rc=0
wait "$pid" || rc=$?
pid=""
[ "$rc" -eq 0 ] || fail "the installer ended with exit code $rc"
[ "$(size_of "$drive_d/Games/BIG.DAT")" -eq "$big_total" ] || fail "BIG.DAT was not installed whole"
[ -f "$drive_d/Games/README1.TXT" ] || fail "README1.TXT was not installed"
echo "$me: passed"

#!/usr/bin/python3
# A whole installation as a screen reader's user makes it, only through the desktop's
# accessibility bus: windows and controls found by role and name, pressed by their action,
# gauges and message boxes read. Prints the accessible tree of each window on the way and
# checks that every control that can be focused or pressed has a name and a real role.
# Arguments: the installer's pid, the folder on drive d: to install into.
import sys
import time
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

warnings.simplefilter("ignore", DeprecationWarning)
pid, folder = int(sys.argv[1]), sys.argv[2]
S = Atspi.StateType
# (event type, source, the event's own data): a listener makes no calls to the program,
# which may be busy.
heard = []
listener = Atspi.EventListener.new(lambda e: heard.append((e.type, e.source, e.any_data)))
for kind in ("object:state-changed:focused", "object:property-change:accessible-name",
             "object:property-change:accessible-value", "window:activate"):
    listener.register(kind)


def fail(why):
    sys.exit(f"screen reader: FAILED: {why}")


def wait_for(what, probe, seconds=30):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        while GLib.MainContext.default().iteration(False):
            pass
        try:
            found = probe()
        except GLib.Error:
            found = None
        if found:
            return found
        time.sleep(0.05)
    fail(f"{what} did not come")


def children(node):
    return [c for c in (node.get_child_at_index(i) for i in range(node.get_child_count())) if c]


def walk(node):
    yield node
    for c in children(node):
        yield from walk(c)


def window(role, name):
    def probe():
        apps = [a for a in children(Atspi.get_desktop(0)) if a.get_process_id() == pid]
        return next((w for a in apps for w in children(a) if w.get_role_name() == role and
                     w.get_name() == name and w.get_state_set().contains(S.SHOWING)), None)

    return wait_for(f'the {role} "{name}"', probe)


def find(win, role, name=None, prefix=""):
    for n in walk(win):
        got = n.get_name() or ""
        if n.get_role_name() == role and name in (None, got) and got.startswith(prefix):
            return n
    fail(f'no {role} "{name or prefix}" in "{win.get_name()}"')


def actions(node):
    act = node.get_action_iface()
    return [(act.get_action_name(i), act.get_key_binding(i))
            for i in range(act.get_n_actions())] if act else []


def press(node):
    names = [a for a, _ in actions(node)]
    if "Press" not in names:
        fail(f'"{node.get_name()}" cannot be pressed ({names})')
    node.get_action_iface().do_action(names.index("Press"))


def line(node):
    s = node.get_state_set()
    out = f'{node.get_role_name()} "{node.get_name() or ""}"'
    out += f" ({node.get_description()})" if node.get_description() else ""
    keys = [a + ("=" + k if k else "") for a, k in actions(node) if a == "Press"]
    out += f' [{" ".join(keys)}]' if keys else ""
    val, text = node.get_value_iface(), node.get_text_iface()
    if val:
        out += (f" value {val.get_current_value():.0f} of {val.get_minimum_value():.0f}.."
                f'{val.get_maximum_value():.0f} "{text.get_text(0, -1)}"')
    states = [n for n in ("focusable", "focused", "enabled", "showing")
              if s.contains(getattr(S, n.upper()))]
    return out + " {" + ",".join(states) + "}"


def show_tree(win, depth=0):
    if depth == 0:
        print(f'--- the accessible tree of "{win.get_name()}"')
    print("  " * depth + line(win))
    pressable = any(a == "Press" for a, _ in actions(win))
    if win.get_state_set().contains(S.FOCUSABLE) or pressable:
        if not (win.get_name() or "").strip():
            fail(f"a {win.get_role_name()} that can be focused or pressed has no name")
        if win.get_role() in (Atspi.Role.FILLER, Atspi.Role.UNKNOWN, Atspi.Role.INVALID):
            fail(f'"{win.get_name()}" can be focused or pressed but is a {win.get_role_name()}')
    for c in children(win):
        show_tree(c, depth + 1)


def heard_since(mark, kind, role, name=None, prefix=""):
    for t, src, data in heard[mark:]:
        # A name change carries the new name; the source may have been renamed again since.
        names = {src.get_name() or ""} | ({data} if isinstance(data, str) else set())
        if t == kind and role in (None, src.get_role_name()) and any(
                name in (None, n) and n.startswith(prefix) for n in names):
            return True
    return False


# 1. The main window: the install hot-spot by its role and name.
main = window("frame", "Tarnwick Installer...")
show_tree(main)
find(main, "label", "Tarnwick")  # the name line
install = find(main, "push button", "Install Game")
if ("Press", "Ctrl+I") not in actions(install):
    fail(f"the install hot-spot does not tell its keys: {actions(install)}")
press(install)

# 2. The directory window: a drive and a folder through the lists' entries, Install by name.
dirs = window("dialog", "Select a Directory")
show_tree(dirs)
if not heard_since(0, "object:state-changed:focused", "combo box", "Drive"):
    fail("the focus on the drive selector was not heard")
press(find(find(dirs, "combo box", "Drive"), "list item", prefix="d:"))
listing = find(dirs, "list", "Directory")
wait_for("drive d: in the directory list", lambda: listing.get_description() == "D:\\")
press(wait_for(f'the folder "{folder}"', lambda: next(
    (c for c in children(listing) if c.get_name().lower() == folder.lower()), None)))
wait_for(f"the list in {folder}", lambda: listing.get_description().lower() == "d:\\" + folder.lower())
press(find(dirs, "push button", "Install"))

# 3. The extraction window: Extract, the file gauge read in the middle of the long entry.
ext = window("dialog", "Prepare to Install....")
show_tree(ext)
gauge = find(ext, "progress bar", prefix="File Name:")
mark = len(heard)
press(find(ext, "push button", "Extract"))


def mid_entry():
    v = gauge.get_value_iface()
    return 0 < v.get_current_value() < v.get_maximum_value() and v.get_maximum_value() > 1 << 20


wait_for("the file gauge in the middle of the long entry", mid_entry, 60)
print(line(gauge))
percent = gauge.get_text_iface().get_text(0, -1)
if not percent.endswith("%") or not 0 <= int(percent[:-1]) < 100:
    fail(f'the gauge reads "{percent}"')

# 4. The completion box: read, heard when it opened, confirmed.
done = window("alert", "Information")
show_tree(done)
if done.get_description() != "Install Completed!":
    fail(f'the completion box says "{done.get_description()}"')
for what, kind, role, name, prefix in [
        # A closed window is no longer a dialog: its role is not asked.
        ("the caption change to Extracting", "accessible-name", None, "Extracting", ""),
        ("the label's change to the file name", "accessible-name", "label", None, "File Name: "),
        ("a gauge's value change", "accessible-value", "progress bar", None, ""),
        ("the completion box opening", "window:activate", "alert", "Information", "")]:
    kind = kind if ":" in kind else "object:property-change:" + kind
    if not heard_since(mark, kind, role, name, prefix):
        fail(f"{what} was not heard")
press(find(done, "push button", "OK"))

# 5. Back in the main window: out by the exit hot-spot.
press(find(window("frame", "Tarnwick Installer..."), "push button", "Exit Installer"))

#!/usr/bin/python3
# A whole installation as a screen reader's user makes it, only through the desktop's
# accessibility bus: windows and controls found by role and name, pressed by their action,
# gauges and message boxes read. Prints the accessible tree of each window on the way and
# checks that every control that can be focused or pressed has a name and a real role.
# Arguments: the installer's pid, the folder to install into (by name, on drive d:).
import sys
import time
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

warnings.simplefilter("ignore", DeprecationWarning)
pid, folder = int(sys.argv[1]), sys.argv[2]
heard = []  # (event type, detail, source): no calls to the program from inside a listener


def fail(why):
    print(f"screen reader: FAILED: {why}", file=sys.stderr)
    sys.exit(1)


def on_event(e):
    heard.append((e.type, str(e.any_data or ""), e.source))


listener = Atspi.EventListener.new(on_event)
for kind in ("focus:", "object:state-changed:focused", "object:property-change:accessible-name",
             "object:property-change:accessible-value", "object:state-changed:showing",
             "window:activate", "object:announcement"):
    listener.register(kind)


def pump():
    ctx = GLib.MainContext.default()
    while ctx.iteration(False):
        pass


def wait_for(what, probe, seconds=30):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        pump()
        try:
            found = probe()
        except GLib.Error:
            found = None
        if found:
            return found
        time.sleep(0.05)
    fail(f"{what} did not come")


def app():
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        a = desktop.get_child_at_index(i)
        if a is not None and a.get_process_id() == pid:
            return a
    return None


def children(node):
    return [node.get_child_at_index(i) for i in range(node.get_child_count())]


def showing(node):
    return node.get_state_set().contains(Atspi.StateType.SHOWING)


def window(role, name):
    def probe():
        a = app()
        if a is None:
            return None
        for w in children(a):
            if w and w.get_role_name() == role and w.get_name() == name and showing(w):
                return w
        return None

    return wait_for(f'the {role} "{name}"', probe)


def walk(node):
    yield node
    for c in children(node):
        if c is not None:
            yield from walk(c)


def find(win, role, name=None, prefix=None):
    for n in walk(win):
        if n.get_role_name() != role:
            continue
        got = n.get_name() or ""
        if (name is None or got == name) and (prefix is None or got.startswith(prefix)):
            return n
    fail(f'no {role} "{name or prefix}" in "{win.get_name()}"')


def actions(node):
    act = node.get_action_iface()
    if act is None:
        return []
    return [(act.get_action_name(i), act.get_key_binding(i)) for i in range(act.get_n_actions())]


def press(node):
    act = node.get_action_iface()
    names = [a for a, _ in actions(node)]
    if "Press" not in names:
        fail(f'"{node.get_name()}" cannot be pressed ({names})')
    act.do_action(names.index("Press"))


STATES = [("focusable", Atspi.StateType.FOCUSABLE), ("focused", Atspi.StateType.FOCUSED),
          ("enabled", Atspi.StateType.ENABLED), ("showing", Atspi.StateType.SHOWING)]


def line(node, depth):
    s = node.get_state_set()
    states = ",".join(n for n, t in STATES if s.contains(t))
    out = f'{"  " * depth}{node.get_role_name()} "{node.get_name() or ""}"'
    desc = node.get_description()
    if desc:
        out += f' ({desc})'
    keys = [f"{a}{'=' + k if k else ''}" for a, k in actions(node) if a == "Press"]
    if keys:
        out += " [" + " ".join(keys) + "]"
    val = node.get_value_iface()
    if val is not None:
        text = node.get_text_iface()
        pct = text.get_text(0, -1) if text else ""
        out += f" value {val.get_current_value():g} of {val.get_minimum_value():g}..{val.get_maximum_value():g} \"{pct}\""
    return out + f" {{{states}}}"


def show_tree(win):
    print(f'--- the accessible tree of "{win.get_name()}"')

    def rec(node, depth):
        print(line(node, depth))
        check(node)
        for c in children(node):
            if c is not None and c.get_role() != Atspi.Role.LIST_ITEM:
                rec(c, depth + 1)
            elif c is not None and depth < 6:
                print(line(c, depth + 1))

    rec(win, 0)


def check(node):
    s = node.get_state_set()
    pressable = any(a == "Press" for a, _ in actions(node))
    if not (s.contains(Atspi.StateType.FOCUSABLE) or pressable):
        return
    if not (node.get_name() or "").strip():
        fail(f"a {node.get_role_name()} that can be focused or pressed has no name")
    if node.get_role() in (Atspi.Role.FILLER, Atspi.Role.UNKNOWN, Atspi.Role.INVALID):
        fail(f'"{node.get_name()}" can be focused or pressed but is a {node.get_role_name()}')


def heard_since(mark, kind, name=None, prefix=None, role=None):
    pump()
    for t, _, src in heard[mark:]:
        if not t.startswith(kind) or (role and src.get_role_name() != role):
            continue
        n = src.get_name() or ""  # the name now: the event tells of a change, not its text
        if (name is None or n == name) and (prefix is None or n.startswith(prefix)):
            return True
    return False


# 1. The main window: the install hot-spot by its role and name.
main = window("frame", "Tarnwick Installer...")
show_tree(main)
find(main, "label", "Tarnwick")  # the name line
install = find(main, "push button", "Install Game")
if ("Press", "Ctrl+I") not in actions(install):
    fail(f"the install hot-spot's keys are not told: {actions(install)}")
press(install)

# 2. The directory window: a drive and a folder through the lists' items, Install by name.
dirs = window("dialog", "Select a Directory")
show_tree(dirs)
drive = find(dirs, "combo box", "Drive")
if not heard_since(0, "object:state-changed:focused", name="Drive", role="combo box"):
    fail("the focus on the drive selector was not heard")
press(find(drive, "list item", prefix="d:"))
listing = find(dirs, "list", "Directory")
wait_for("drive d: in the directory list", lambda: listing.get_description().upper() == "D:\\")


def item_named(n):
    for c in children(listing):
        if c is not None and (c.get_name() or "").lower() == n.lower():
            return c
    return None


press(wait_for(f'the folder "{folder}" in the list', lambda: item_named(folder)))
wait_for(f"the directory list in {folder}",
         lambda: listing.get_description().upper() == "D:\\" + folder.upper())
press(find(dirs, "push button", "Install"))

# 3. The extraction window: Extract, a gauge read in the middle of the long entry.
ext = window("dialog", "Prepare to Install....")
show_tree(ext)
g = find(ext, "progress bar", prefix="File Name:")
mark = len(heard)
press(find(ext, "push button", "Extract"))


def gauge_mid_entry():
    v = g.get_value_iface()
    cur, top = v.get_current_value(), v.get_maximum_value()
    return (cur, top) if top > 1 << 20 and 0 < cur < top else None


cur, top = wait_for("the file gauge in the middle of the long entry", gauge_mid_entry, 60)
pct = g.get_text_iface().get_text(0, -1)
print(f'gauge "{g.get_name()}" at {cur:g} of {top:g}, reading "{pct}"')
if not pct.endswith("%") or not 0 <= int(pct[:-1]) <= 100:
    fail(f'the gauge reads "{pct}"')
print(line(ext, 0))
for c in children(ext):
    print(line(c, 1))

# 4. The completion box: read and confirmed.
done = window("alert", "Information")
show_tree(done)
if done.get_description() != "Install Completed!":
    fail(f'the completion box says "{done.get_description()}"')
for what, kind, kw in [
        ("the caption change to Extracting", "object:property-change:accessible-name",
         {"name": "Extracting", "role": "dialog"}),
        ("a label's change to the file name", "object:property-change:accessible-name",
         {"prefix": "File Name: ", "role": "label"}),
        ("a gauge's value change", "object:property-change:accessible-value", {"role": "progress bar"}),
        ("the completion box announced", "window:activate", {"name": "Information", "role": "alert"})]:
    if not heard_since(mark, kind, **kw):
        print(*sorted({(t, n) for t, n, _ in heard[mark:]}), sep="\n")
        fail(f"{what} was not heard")
press(find(done, "push button", "OK"))

# 5. Back in the main window: out by the exit hot-spot.
main = window("frame", "Tarnwick Installer...")
press(find(main, "push button", "Exit Installer"))
print("events heard:", len(heard))

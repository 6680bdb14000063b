"""A screen reader's view of the Corvella with process id argv[1], its controls found on the accessibility
bus by role and name.
  atspi.py PID          the controls, the seed's description, the key bindings of ">" and the eyedropper,
                        and box 3 pressed through its action, which must copy box 3's color as a click does
  atspi.py PID refused  while a pick or a dialog is open: no control offers a press, and pressing each
                        anyway changes neither the clipboard nor any box; prints the boxes' descriptions"""
import contextlib
import subprocess
import sys
import time

import pyatspi  # the session bus starts the accessibility bus for it, as for Corvella


def controls(node, found):
    for child in filter(None, node):
        found[(child.getRoleName(), child.name)] = child
        controls(child, found)
    return found


def clipboard():
    return subprocess.run(["xclip", "-o", "-selection", "clipboard"], capture_output=True, text=True).stdout


def actions(control):
    action = control.queryAction()
    return {action.getName(i): (i, action.getKeyBinding(i)) for i in range(action.nActions)}


def copied_by(box):
    red, green, blue = (int(v) for v in box.description[4:].split(", #")[0].split(", "))
    return "%02X%02X%02X" % (blue, green, red)


for _ in range(100):
    apps = [app for app in pyatspi.Registry.getDesktop(0) if app and app.get_process_id() == int(sys.argv[1])]
    if apps:
        break
    time.sleep(0.1)
found = controls(apps[0], {})
buttons = ["Seed color"] + ["Proposal %d" % k for k in range(1, 9)] + ["New proposals", "Pick a color from the screen"]
missing = [name for name in buttons if ("push button", name) not in found]
assert not missing, "no push buttons %s among %s" % (missing, sorted(found))
notice = ("link", "© 2026 Quenlot Ltd.")
assert notice in found, "the maker's notice is not a link"
pressable = [found[("push button", name)] for name in buttons] + [found[notice]]

if sys.argv[2:] == ["refused"]:
    before = clipboard(), [box.description for box in pressable[:9]]
    for control in pressable:
        assert "Press" not in actions(control), "%s offers a press meanwhile" % control.name
        with contextlib.suppress(Exception):  # refused outright: there is no action 0
            control.queryAction().doAction(0)
    time.sleep(0.5)
    after = clipboard(), [box.description for box in pressable[:9]]
    assert after == before, "presses meanwhile changed %r to %r" % (before, after)
    print(after[1])
    sys.exit(0)

seed = found[("push button", "Seed color")].description
assert seed == "RGB 100, 150, 200, #6496C8", "the seed box reads %r" % seed
for name, key in [("New proposals", "Ctrl+R"), ("Pick a color from the screen", "Ctrl+E")]:
    binding = actions(found[("push button", name)])["Press"][1]
    assert binding == key, "%s's key binding reads %r, not %r" % (name, binding, key)
box = found[("push button", "Proposal 3")]
expected = copied_by(box)
box.queryAction().doAction(actions(box)["Press"][0])
for _ in range(50):
    if clipboard() == expected:
        break
    time.sleep(0.1)
assert clipboard() == expected, "pressing box 3 copied %r, not %r" % (clipboard(), expected)

"""A screen reader's view of the Corvella with process id argv[1]: its controls found on the accessibility
bus by role and name, the seed box's description read, and box 3 pressed through its action, which must
copy box 3's color as a click does."""
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


for _ in range(100):
    apps = [app for app in pyatspi.Registry.getDesktop(0) if app and app.get_process_id() == int(sys.argv[1])]
    if apps:
        break
    time.sleep(0.1)
found = controls(apps[0], {})
names = ["Seed color"] + ["Proposal %d" % k for k in range(1, 9)] + ["New proposals", "Pick a color from the screen"]
missing = [name for name in names if ("push button", name) not in found]
assert not missing, "no push buttons %s among %s" % (missing, sorted(found))
assert ("link", "© 2026 Quenlot Ltd.") in found, "the maker's notice is not a link"
seed = found[("push button", "Seed color")].description
assert seed == "RGB 100, 150, 200, #6496C8", "the seed box reads %r" % seed
box = found[("push button", "Proposal 3")]
red, green, blue = (int(v) for v in box.description[4:].split(", #")[0].split(", "))
expected = "%02X%02X%02X" % (blue, green, red)
action = box.queryAction()
action.doAction([action.getName(i) for i in range(action.nActions)].index("Press"))
for _ in range(50):
    if clipboard() == expected:
        break
    time.sleep(0.1)
assert clipboard() == expected, "pressing box 3 copied %r, not %r" % (clipboard(), expected)

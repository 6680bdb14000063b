#!/usr/bin/env bash
# Corvella as installed: `cmake --install` into a temporary prefix and the Debian package hold exactly the
# expected files, stripped, with the picker exporting PickColor alone; then a short session under Xvfb: a
# click copies the seed's text to the real clipboard, a screen reader finds and presses the controls
# (atspi.py), the eyedropper loads the installed library (never a decoy of the same name) and picks a
# color from another window, and closing the window exits with 0.
# Usage, with a session bus of its own: dbus-run-session -- session.sh <build dir>
set -euo pipefail
build=$(realpath "$1")
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# The files of an installation, relative to its prefix.
expected=$(printf '%s\n' bin/corvella lib/corvella/libcolorPicker.so \
    share/applications/example.quenlot.Corvella.desktop share/metainfo/example.quenlot.Corvella.metainfo.xml \
    share/icons/hicolor/{32x32,48x48,64x64,128x128,256x256}/apps/example.quenlot.Corvella.png | LC_ALL=C sort)

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
[[ $(cd "$prefix" && find . -type f -printf '%P\n' | LC_ALL=C sort) == "$expected" ]] ||
    fail "installed: $(cd "$prefix" && find . -type f -printf '%P ')"
desktop-file-validate "$prefix/share/applications/example.quenlot.Corvella.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/example.quenlot.Corvella.metainfo.xml" >/dev/null
[[ $(nm -D --defined-only "$prefix/lib/corvella/libcolorPicker.so" | awk '{print $3}') == PickColor ]] ||
    fail "the picker library exports more than PickColor"

(cd "$build" && cpack -G DEB -B "$work/package" >/dev/null)
deb=$(echo "$work"/package/corvella_*.deb)
[[ $(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ {sub("^./usr/", "", $6); print $6}' | LC_ALL=C sort) == \
    "$expected" ]] || fail "the package holds: $(dpkg-deb --contents "$deb")"
depends=$(dpkg-deb --field "$deb" Depends)
for needed in libqt6widgets6 libqt6dbus6 libstdc++6; do
    [[ $depends == *"$needed "* ]] || fail "Depends lacks $needed: $depends"
done
[[ $(dpkg-deb --field "$deb" Recommends) == xdg-utils ]] || fail "Recommends: $(dpkg-deb --field "$deb" Recommends)"
dpkg-deb -x "$deb" "$work/root"
for file in usr/bin/corvella usr/lib/corvella/libcolorPicker.so; do
    ! readelf -S -W "$work/root/$file" | grep -qE ' \.(symtab|debug_)' || fail "$file is not stripped"
done

source "$(dirname "$0")/../../tools/privateXvfb.sh"
start_private_xvfb
pids+=("$PRIVATE_XVFB_PID")
# Prints the id of the first visible window that matches all of xdotool's search options given.
window() { timeout 20 xdotool search --sync --all --onlyvisible "$@" | head -n 1; }
# xdotool, then the clipboard once it changed (five seconds at most) in $copied. Not for $(): the xclip
# holding "untouched" would keep the output open.
clip() {
    echo untouched | xclip -selection clipboard >/dev/null 2>&1
    xdotool "$@"
    for _ in $(seq 50); do
        copied=$(xclip -o -selection clipboard 2>/dev/null || true)
        if [[ $copied != untouched ]]; then break; fi
        sleep 0.1
    done
}

# Another window to pick from: a build-tree Corvella moved aside, whose proposals were drawn again.
"$build/bin/corvella" 2>/dev/null &
pids+=($!)
other=$(window --name '^ Corvella$')
xdotool windowmove --sync "$other" 900 40 windowfocus --sync "$other" key ctrl+r
sleep 0.3
clip mousemove 949 89 click 1 # its box 1
wanted=$copied
[[ $wanted =~ ^[0-9A-F]{6}$ ]] || fail "a click on the other window copied '$wanted'"
mkdir "$work/decoys" && cp "$work/root/usr/lib/corvella/libcolorPicker.so" "$work/decoys/"
cd "$work/decoys"
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 LD_LIBRARY_PATH=$work/decoys "$prefix/bin/corvella" &
pid=$!
pids+=("$pid")
corvella=$(window --pid "$pid" --name '^ Corvella$')
[[ -n $corvella ]] || fail "the installed Corvella showed no window"
xdotool windowmove --sync "$corvella" 100 100
clip mousemove 219 219 click 1 # the centre box
[[ $copied == C89664 ]] || fail "a click on the seed copied '$copied'"
/usr/bin/python3 "$(dirname "$(realpath "$0")")/atspi.py" "$pid" || fail "as a screen reader sees it"

xdotool mousemove 112 358 click 1 # the eyedropper
[[ -n $(window --name '^Pick a color$') ]] || fail "the eyedropper showed no overlay"
libraries=$(awk '$6 ~ /libcolorPicker/ {print $6}' "/proc/$pid/maps" | sort -u)
[[ $libraries == "$prefix/lib/corvella/libcolorPicker.so" ]] || fail "picker libraries loaded: $libraries"
xdotool mousemove 949 89 click 1
sleep 0.5
clip mousemove 219 219 click 1
[[ $copied == "$wanted" ]] || fail "picked '$copied' from the other window's '$wanted'"

# As a window manager asks a window to close.
/usr/bin/python3 -c 'import sys
from Xlib import X, display, protocol
screen = display.Display()
window = screen.create_resource_object("window", int(sys.argv[1]))
atom = screen.intern_atom
window.send_event(protocol.event.ClientMessage(window=window, client_type=atom("WM_PROTOCOLS"),
                  data=(32, [atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0])))
screen.flush()' "$corvella"
for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
status=0
wait "$pid" || status=$?
[[ $status == 0 ]] || fail "exit status $status after the close request"
echo "PASS: installed, packaged, and used"

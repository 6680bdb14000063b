#!/usr/bin/env bash
# Corvella as a user gets it: the Debian package holds exactly the expected files, stripped, the picker
# exporting PickColor alone; without a display the program says so. Under Xvfb, with real input: clicks
# copy, the hand's click point is the fingertip, a screen reader finds and presses the controls, the
# eyedropper loads the installed library (never a decoy) and picks from another window, drags, a close.
# Then a stand-in desktop portal: a pick at scale 2 that a screen reader, the mouse and keys cannot
# disturb, and closes while the portal keeps silent, which end Corvella at once.
# Usage, with a session bus of its own: dbus-run-session -- session.sh <build dir>
set -euo pipefail
build=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
pictures=$here/../../ui/pictures
work=$(mktemp -d)
mkdir -p -m 700 "${XDG_RUNTIME_DIR:?}"
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
# Says what failed, with what the Corvellas that write to $work said last.
fail() { echo "FAIL: $*" >&2; tail -n 20 "$work"/*.err >&2 2>/dev/null || true; exit 1; }
# The Debian package: exactly these files below /usr, stripped, the picker exporting PickColor alone.
(cd "$build" && cpack -G DEB -B "$work/package" >/dev/null)
deb=$(echo "$work"/package/corvella_*.deb)
dpkg-deb -x "$deb" "$work/root"
usr=$work/root/usr
[[ $(cd "$work/root" && find . -type f -printf '%P\n' | LC_ALL=C sort) == "$(printf 'usr/%s\n' bin/corvella \
    lib/corvella/libcolorPicker.so share/applications/example.quenlot.Corvella.desktop \
    share/metainfo/example.quenlot.Corvella.metainfo.xml \
    share/icons/hicolor/{32x32,48x48,64x64,128x128,256x256}/apps/example.quenlot.Corvella.png | LC_ALL=C sort)" ]] ||
    fail "the package holds: $(dpkg-deb --contents "$deb")"
desktop-file-validate "$usr/share/applications/example.quenlot.Corvella.desktop"
appstreamcli validate --no-net "$usr/share/metainfo/example.quenlot.Corvella.metainfo.xml" >/dev/null
[[ $(nm -D --defined-only "$usr/lib/corvella/libcolorPicker.so" | awk '{print $3}') == PickColor ]] ||
    fail "the picker library exports more than PickColor"
for file in bin/corvella lib/corvella/libcolorPicker.so; do
    ! readelf -S -W "$usr/$file" | grep -qE ' \.(symtab|debug_)' || fail "$file is not stripped"
done
depends=$(dpkg-deb --field "$deb" Depends)
for needed in libqt6widgets6 libqt6dbus6 libstdc++6; do
    [[ $depends == *"$needed "* ]] || fail "Depends lacks $needed: $depends"
done
[[ $(dpkg-deb --field "$deb" Recommends) == xdg-utils ]] || fail "Recommends: $(dpkg-deb --field "$deb" Recommends)"

# Without a display, or with one that is not there: one clear line, and status 1.
no_display() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_SESSION_TYPE "$@" "$usr/bin/corvella" 2>&1; echo "$?"; }
[[ $(no_display) == $'Corvella: no display could be opened (neither DISPLAY nor WAYLAND_DISPLAY is set).\n1' ]] ||
    fail "with no display set: $(no_display)"
[[ $(no_display DISPLAY=:65000) == $'Corvella: no display could be opened (DISPLAY=:65000).\n1' ]] ||
    fail "with a display that is not there: $(no_display DISPLAY=:65000)"

source "$(dirname "$0")/../../tools/privateXvfb.sh"
start_private_xvfb
pids+=("$PRIVATE_XVFB_PID")
# Prints the id of the first visible window matching all the xdotool search options given; fails after 20 s.
window() {
    for _ in $(seq 200); do xdotool search --all --onlyvisible "$@" | awk 'NR == 1; END {exit NR == 0}' && return; sleep 0.1; done
    fail "no window matching $*"
}
# Puts "untouched" on the clipboard. Not for $(): the xclip holding it would keep the output open.
untouch() { echo untouched | xclip -selection clipboard >/dev/null 2>&1; }
# xdotool, then the clipboard once it changed (five seconds at most) in $copied.
clip() {
    untouch
    xdotool "$@"
    for _ in $(seq 50); do
        copied=$(xclip -o -selection clipboard 2>/dev/null || true)
        if [[ $copied != untouched ]]; then break; fi
        sleep 0.1
    done
}

# Asks window $1 to close, as a window manager does.
close_window() {
    /usr/bin/python3 -c 'import sys
from Xlib import X, display, protocol
screen = display.Display()
window = screen.create_resource_object("window", int(sys.argv[1]))
atom = screen.intern_atom
window.send_event(protocol.event.ClientMessage(window=window, client_type=atom("WM_PROTOCOLS"),
                  data=(32, [atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0])))
screen.flush()' "$1"
}
# Waits at most $2 seconds for process $1 to end; then $ended is its exit status, or "running".
wait_end() {
    ended=running
    if timeout "$2" tail --pid="$1" -f /dev/null; then
        ended=0
        wait "$1" || ended=$?
    fi
}

# Another window to pick from: a build-tree Corvella moved aside, whose proposals were drawn again.
"$build/bin/corvella" 2>"$work/other.err" & pids+=($!)
other=$(window --name '^ Corvella$')
xdotool windowmove --sync "$other" 900 40 windowfocus --sync "$other" key ctrl+r sleep 0.3
clip mousemove 949 89 click 1 # its box 1
wanted=$copied
[[ $wanted =~ ^[0-9A-F]{6}$ ]] || fail "a click on the other window copied '$wanted'"
mkdir "$work/decoys" && cp "$usr/lib/corvella/libcolorPicker.so" "$work/decoys/" && cd "$work/decoys"
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 LD_LIBRARY_PATH=$work/decoys "$usr/bin/corvella" &
pid=$! && pids+=("$pid")
corvella=$(window --pid "$pid" --name '^ Corvella$')
xdotool windowmove --sync "$corvella" 100 100
clip mousemove 219 219 mousedown 1 mousemove 222 221 mouseup 1 # the centre box: a short move is a click
[[ $copied == C89664 ]] || fail "a click on the seed copied '$copied'"
xdotool mousemove 322 364 sleep 0.2 # on ">"
/usr/bin/python3 "$here/cursor.py" "$pictures/hand.cur" || fail "the hand cursor"
/usr/bin/python3 "$here/atspi.py" "$pid" || fail "as a screen reader sees it"

xdotool mousemove 112 358 click 1 # the eyedropper
[[ -n $(window --name '^Pick a color$') ]] || fail "the eyedropper showed no overlay"
libraries=$(awk '$6 ~ /libcolorPicker/ {print $6}' "/proc/$pid/maps" | sort -u)
[[ $libraries == "$usr/lib/corvella/libcolorPicker.so" ]] || fail "picker libraries loaded: $libraries"
xdotool mousemove 949 89 click 1 sleep 0.5
clip mousemove 219 219 click 1
[[ $copied == "$wanted" ]] || fail "picked '$copied' from the other window's '$wanted'"
# A real drag of box 3 onto the centre makes it the seed; one onto itself does nothing. Neither copies.
clip mousemove 289 149 click 1
proposal=$copied
untouch
xdotool mousemove 289 149 mousedown 1 mousemove 270 170 sleep 0.2 mousemove 230 210 sleep 0.2 \
    mousemove 219 219 sleep 0.3 mouseup 1
xdotool mousemove 289 149 mousedown 1 mousemove 270 170 sleep 0.2 mousemove 289 149 sleep 0.3 mouseup 1
[[ $(xclip -o -selection clipboard) == untouched ]] || fail "a drag copied as a click does"
clip mousemove 219 219 click 1 # box 3, dropped on itself, changed nothing
[[ $copied == "$proposal" ]] || fail "box 3 ($proposal) dragged onto the centre, which then copied '$copied'"
# Box 1 of the other Corvella dropped on box 1 here is another program's color: the seed.
xdotool mousemove 949 89 mousedown 1 mousemove 930 110 sleep 0.2 mousemove 149 149 sleep 0.3 mouseup 1
clip mousemove 219 219 click 1
[[ $copied == "$wanted" ]] || fail "the other Corvella's box 1 ($wanted) dropped on box 1: the seed copies '$copied'"

close_window "$corvella"
wait_end "$pid" 10
[[ $ended == 0 ]] || fail "exit status $ended after the close request"

# A stand-in portal with the options given on this session bus; its calls go to $work/portal.log.
standin() {
    [[ -z ${standin_pid:-} ]] || { kill "$standin_pid"; wait "$standin_pid" 2>/dev/null || true; }
    TST_PICKER_PORTAL="$*" QT_QPA_PLATFORM=offscreen "$build/tests/tst_picker" >"$work/portal.log" 2>/dev/null &
    standin_pid=$!
    pids+=("$standin_pid")
    for _ in $(seq 100); do
        dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
            string:org.freedesktop.portal.Desktop 2>/dev/null | grep -q true && return
        sleep 0.1
    done
    fail "the stand-in portal did not start"
}
# Corvella from the build tree, asking the portal as under XWayland, at the top left; sets $pid, $corvella.
portal_corvella() {
    env "$@" WAYLAND_DISPLAY=corvella-test QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$build/bin/corvella" \
        2>"$work/corvella.err" &
    pid=$! && pids+=("$pid")
    corvella=$(window --pid "$pid" --name '^ Corvella$')
    xdotool windowmove --sync "$corvella" 0 0 windowfocus --sync "$corvella"
}
# Waits until the stand-in was asked $1.
asked() {
    for _ in $(seq 50); do
        grep -q "^$1 " "$work/portal.log" && return
        sleep 0.1
    done
    fail "the portal was never asked $1: $(cat "$work/portal.log")"
}

standin --silent
portal_corvella QT_SCALE_FACTOR=2
xdotool mousemove 444 528 sleep 0.2 # on ">", at twice the size
/usr/bin/python3 "$here/cursor.py" "$pictures/hand@2x.cur" || fail "the hand cursor at scale 2"
untouch
xdotool mousemove 26 518 click 1 # the eyedropper
asked PickColor
boxes=$(/usr/bin/python3 "$here/atspi.py" "$pid" refused) || fail "a screen reader during a portal pick"
# The mouse and keys meanwhile, for longer than a bound of seconds would wait: a double-click on the
# centre, ">", the wheel on the slider, the copy menu by the right button and by the Menu key, Ctrl+R.
# None may act; a menu or dialog they opened would take the Escape that cancels the pick.
xdotool mousemove 238 238 click --repeat 2 1 mousemove 444 528 click 1 mousemove 240 526 click 4 \
    mousemove 98 98 click 3 key Menu ctrl+r sleep 1
[[ $(/usr/bin/python3 "$here/atspi.py" "$pid" refused) == "$boxes" ]] || fail "the mouse and keys acted during a pick"
xdotool key Escape
message=$(window --name '^Corvella$') # the message after the cancelled pick
xdotool windowfocus --sync "$message" key Return
! grep colorPicker "$work/corvella.err" || fail "the pick ended before the Escape"
/usr/bin/python3 "$here/atspi.py" "$pid" || fail "a screen reader after a portal pick"
close_window "$corvella"
wait_end "$pid" 10

# Closed while the portal has not answered the version query, or the pick: Corvella ends at once, asks
# for no pick after the close, and closes a pick it asked for.
for silent in --no-version --silent; do
    standin "$silent"
    portal_corvella
    xdotool mousemove 13 259 click 1 # the eyedropper
    asked "$([[ $silent == --silent ]] && echo PickColor || echo Get)"
    close_window "$corvella"
    wait_end "$pid" 3 # at once: the portal's own time-out is ten seconds (three for a sanitized build's exit)
    [[ $ended == 0 ]] || fail "closed while the portal kept silent ($silent): $ended after three seconds"
    if [[ $silent == --no-version ]]; then
        ! grep -q PickColor "$work/portal.log" || fail "a pick was asked for after the close"
    else
        grep -q "^Close .*/request/" "$work/portal.log" || fail "the pending pick was not closed: $(cat "$work/portal.log")"
    fi
done
echo "PASS: installed, packaged, and used"

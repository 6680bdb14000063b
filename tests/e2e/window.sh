#!/usr/bin/env bash
# The real program under Xvfb: its window's size and caption, and a clean exit when asked to close.
# Usage: window.sh <corvella> <xprobe>
source "$(dirname "$0")/xvfb.sh"
CORVELLA=$1
XPROBE=$2
start_xvfb
start_corvella "$CORVELLA"

geometry=$(xdotool getwindowgeometry "$CORVELLA_WINDOW" | sed -n 's/^ *Geometry: //p')
[[ $geometry == "239x322" ]] || fail "window is $geometry, not 239x322"
[[ $(xdotool getwindowname "$CORVELLA_WINDOW") == " Corvella" ]] || fail "caption"
[[ $(pixel_at 119 119) == "6496C8" ]] || fail "centre box is not 100, 150, 200"

"$XPROBE" close "$CORVELLA_WINDOW"
wait_for_exit "$CORVELLA_PID" || fail "still running 30 s after the close request"
[[ $EXIT_STATUS == 0 ]] || fail "exit status $EXIT_STATUS"
echo "PASS: window 239x322, exit status 0 after WM_DELETE_WINDOW"

#!/usr/bin/env bash
# The real program under Xvfb, driven by xdotool: a click copies the box's hex text to the clipboard,
# a double-click makes a proposal the seed. Usage: clipboard.sh <corvella> <xprobe>
source "$(dirname "$0")/xvfb.sh"
CORVELLA=$1
XPROBE=$2
start_xvfb
start_corvella "$CORVELLA"

# Box 0 (the seed, 100, 150, 200) is centred at 119, 119; box 1 at 49, 49.
xdotool mousemove --window "$CORVELLA_WINDOW" 119 119 click 1
wait_for_output "C89664" xclip -o -selection clipboard

proposal=$(pixel_at 49 49)
[[ $proposal != "6496C8" ]] || fail "box 1 shows the seed"
xdotool mousemove --window "$CORVELLA_WINDOW" 49 49 click --repeat 2 --delay 120 1
wait_for_output "$proposal" pixel_at 119 119
# Blue, green, red: the clipboard holds the hex text of the new seed, from the click before the
# double-click.
expected_hex="${proposal:4:2}${proposal:2:2}${proposal:0:2}"
wait_for_output "$expected_hex" xclip -o -selection clipboard
[[ $(pixel_at 49 49) != "$proposal" || $(pixel_at 189 189) != "$(pixel_at 49 49)" ]] ||
    fail "the proposals were not regenerated"

"$XPROBE" close "$CORVELLA_WINDOW"
wait_for_exit "$CORVELLA_PID" || fail "still running after the close request"
echo "PASS: click copied C89664; double-click made $proposal the seed"

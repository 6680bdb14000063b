#!/usr/bin/env bash
# One whole user session on the installed program under Xvfb: hover, click-to-copy, new proposals, the
# slider, re-seeding by double-click, the color dialog (cancelled, a color, black), the eyedropper (a
# pick and a cancel), and closing. Each step waits until one screenshot of the window passes all of its
# pixel probes; the screenshots are kept in a temporary folder when a step fails (or always, with
# CORVELLA_KEEP_SCREENSHOTS=1 in the environment).
# Usage: session.sh <corvella> <xprobe> <build dir>
source "$(dirname "$0")/xvfb.sh"
XPROBE=$(realpath "$2")
BUILD_DIR=$(realpath "$3")

# Window coordinates. Boxes 0 (the seed) to 8: centres, and top-left corners of the 70 x 70 squares.
BOX_CENTRES=(119 119 49 49 119 49 189 49 49 119 189 119 49 189 119 189 189 189)
BOX_LEFT=(84 14 84 154 14 154 14 84 154)
BOX_TOP=(84 14 14 14 84 84 154 154 154)
READOUT=(3 306 119 16)        # x, y, width, height of the RGB read-out
BAND_POINT=(125 300)          # bare band, between the read-out and the maker's notice
SLIDER=(35 249 169 37)        # x, y, width, height of the slider: groove and handle above tick marks
SLIDER_ROWS=(35 249 169 21)   # the groove and the handle
SLIDER_MIDDLE=119
SLIDER_CLICK_X=185            # right of the handle at 10
EYEDROPPER=(12 258)
NEXT_LABEL=(221 264)          # the ">" label
WHITE_MARGIN=(5 5)
DIALOG_COLOR=3A7F1C           # dark green, far from the blue seeds the session starts with
PREVIEW_PIXELS=4000           # the color dialog's preview of the current color is larger than this

STEP_NUMBER=0
SHOT=""
LAST_SHOT="" # the screenshot that passed the step before
SEEN=()     # box centres in the latest screenshot
PROBLEM=""  # what the last failed probe saw

# ---- probes of a screenshot ----------------------------------------------------------------------

# Failures from here on name the step and where its screenshots are.
begin_step() {
    LAST_SHOT=$SHOT
    E2E_STEP=$1
    E2E_FAIL_NOTE="screenshots in $SHOTS"
    STEP_NUMBER=$((STEP_NUMBER + 1))
    SHOT=$(printf '%s/%02d-%s.png' "$SHOTS" "$STEP_NUMBER" "${1// /-}")
}

# Saves the window as the step's screenshot and reads the nine box centres from the file.
shoot() {
    "$XPROBE" shot "$CORVELLA_WINDOW" "$SHOT" 2>/dev/null || return 1
    SEEN=($("$XPROBE" pixel "$SHOT" "${BOX_CENTRES[@]}")) || return 1
    ((${#SEEN[@]} == 9))
}

# Screenshots until one passes the check, for up to 20 s. A check returns 1 after describing the probe
# that failed in PROBLEM.
settle() {
    local check=$1
    for _ in $(seq 200); do
        PROBLEM="no screenshot of the window"
        if shoot && "$check"; then
            return 0
        fi
        sleep 0.1
    done
    fail "$PROBLEM"
}

expect_equal() {
    [[ $2 == "$3" ]] && return 0
    PROBLEM="$1 is $2, expected $3"
    return 1
}

expect_boxes() {
    local -n expected=$1
    local k
    for k in {0..8}; do
        expect_equal "box $k ($2)" "${SEEN[k]}" "${expected[k]}" || return 1
    done
}

expect_new_proposals() {
    local -n before=$1
    local k
    for k in {1..8}; do
        [[ ${SEEN[k]} != "${before[k]}" ]] || {
            PROBLEM="box $k still shows ${before[k]}: the proposals were not drawn again"
            return 1
        }
    done
}

# The read-out's pixels that are not band-colored, and those that are dark (text).
readout_pixels() {
    "$XPROBE" pixels "$SHOT" "${READOUT[@]}"
}

expect_empty_readout() {
    local others
    others=$(readout_pixels | grep -cvxF "$BAND") || true
    ((others == 0)) || { PROBLEM="the read-out has $others pixels that are not band color $BAND"; return 1; }
}

# Dark: every channel below 60 hexadecimal.
expect_readout_text() {
    local dark
    dark=$(readout_pixels | grep -cE '^([0-5][0-9A-F]){3}$') || true
    ((dark >= 10)) || { PROBLEM="the read-out shows no dark text ($dark dark pixels)"; return 1; }
}

# What the read-out's text measures: its dark pixels, and its first and last dark column. Another text
# differs in at least one of them.
readout_text_size() {
    readout_pixels | awk -v width="${READOUT[2]}" '
        /^[0-5][0-9A-F][0-5][0-9A-F][0-5][0-9A-F]$/ {
            x = (NR - 1) % width; n++
            if (n == 1 || x < first) first = x
            if (x > last) last = x
        }
        END { printf "%d dark pixels in columns %d-%d\n", n, first, last }'
}

# A box is bordered when its top-left and bottom-right pixels are black, and unbordered when its
# top-left pixel shows the box's own color.
expect_border_on() {
    local k=$1 corners
    corners=$("$XPROBE" pixel "$SHOT" "${BOX_LEFT[k]}" "${BOX_TOP[k]}" \
        $((BOX_LEFT[k] + 69)) $((BOX_TOP[k] + 69)) | paste -sd' ')
    expect_equal "box $k's corners (${BOX_LEFT[k]}, ${BOX_TOP[k]}) and (+69, +69)" "$corners" \
        "000000 000000"
}

expect_no_border_except() {
    local bordered=${1:--1} k points=() edges
    for k in {0..8}; do
        points+=("${BOX_LEFT[k]}" "${BOX_TOP[k]}")
    done
    edges=($("$XPROBE" pixel "$SHOT" "${points[@]}"))
    for k in {0..8}; do
        ((k == bordered)) && continue
        expect_equal "box $k's top-left edge (${BOX_LEFT[k]}, ${BOX_TOP[k]})" "${edges[k]}" "${SEEN[k]}" ||
            return 1
    done
}

expect_no_border() {
    expect_no_border_except -1
}

channel_distance() {
    local a=$1 b=$2 k d max=0
    for k in 0 2 4; do
        d=$((16#${a:k:2} - 16#${b:k:2}))
        ((d < 0)) && d=$((-d))
        ((d > max)) && max=$d
    done
    echo "$max"
}

# Proposals drawn around a seed stay within a small lightness and chroma spread of it.
expect_proposals_near() {
    local seed=$1 k distance
    for k in {1..8}; do
        distance=$(channel_distance "${SEEN[k]}" "$seed")
        ((distance <= 100)) || {
            PROBLEM="box $k (${SEEN[k]}) is $distance apart from the seed $seed in one channel"
            return 1
        }
    done
}

# ---- other windows --------------------------------------------------------------------------------

# Waits until a screenshot of a window (or "root") holds at least $3 pixels of color $2.
wait_for_color_area() {
    local window=$1 color=$2 least=$3 shot=${SHOT%.png}-$4.png count=0
    for _ in $(seq 200); do
        if "$XPROBE" shot "$window" "$shot" 2>/dev/null; then
            count=$("$XPROBE" count "$shot" "$color")
            ((count >= least)) && return 0
        fi
        sleep 0.1
    done
    fail "$4 shows $count pixels of $color, expected at least $least"
}

clipboard() {
    xclip -o -selection clipboard
}

expect_clipboard() {
    local expected=$1
    poll_until 10 clipboard_is "$expected" ||
        fail "the clipboard holds '$(clipboard 2>/dev/null)', expected $expected"
}

clipboard_is() {
    [[ $(clipboard 2>/dev/null) == "$1" ]]
}

hover_at() {
    xdotool mousemove --window "$CORVELLA_WINDOW" "$1" "$2"
}

click_at() {
    xdotool mousemove --window "$CORVELLA_WINDOW" "$1" "$2" click 1
}

double_click_at() {
    xdotool mousemove --window "$CORVELLA_WINDOW" "$1" "$2" click --repeat 2 --delay 80 1
}

# Double-clicks box 0 and waits for the color dialog, preset with box 8's color. The pointer then goes
# to the main window's white margin, under the dialog, so that no box is hovered when the dialog goes
# away. (It stays over the main window: Qt may merge a move into the window with the next one.)
open_color_dialog() {
    local preset=${SEEN[8]}
    double_click_at 119 119
    DIALOG=$(wait_for_window '^Select Color$')
    wait_for_color_area "$DIALOG" "$preset" "$PREVIEW_PIXELS" dialog
    xdotool mousemove --window "$CORVELLA_WINDOW" "${WHITE_MARGIN[@]}"
}

# Opens the color dialog, types a color into its "HTML:" field and confirms it with Return.
choose_in_dialog() {
    open_color_dialog
    press_keys "$DIALOG" alt+h ctrl+a
    xdotool type "#$1"
    wait_for_color_area "$DIALOG" "$1" "$PREVIEW_PIXELS" dialog-typed
    xdotool key Return
    wait_for_no_window '^Select Color$'
}

# ---- the steps -------------------------------------------------------------------------------------

start_session() {
    new_temp_dir PREFIX
    install_corvella "$BUILD_DIR" "$PREFIX"
    PREFIX=$(realpath "$PREFIX")
    SHOTS=$(mktemp -d)
    new_temp_dir WORK_DIR
    start_xvfb
    cd "$WORK_DIR"
    start_corvella "$PREFIX/bin/corvella"
}

check_start() {
    local k
    BAND=$("$XPROBE" pixel "$SHOT" "${BAND_POINT[@]}")
    [[ $BAND != FFFFFF ]] || { PROBLEM="the band at ${BAND_POINT[*]} is white"; return 1; }
    expect_equal "the margin at ${WHITE_MARGIN[*]}" "$("$XPROBE" pixel "$SHOT" "${WHITE_MARGIN[@]}")" \
        FFFFFF || return 1
    expect_equal "box 0" "${SEEN[0]}" 6496C8 || return 1
    for k in {1..8}; do
        [[ ${SEEN[k]} != FFFFFF && ${SEEN[k]} != "$BAND" ]] || {
            PROBLEM="box $k shows ${SEEN[k]}, white or band color"
            return 1
        }
    done
    expect_empty_readout && expect_no_border
}

step_start() {
    begin_step "start"
    settle check_start
    START=("${SEEN[@]}")
    echo "ok: start: seed 6496C8, eight proposals, empty read-out on band color $BAND"
}

check_hover() {
    expect_boxes START "unchanged by hovering" && expect_readout_text && expect_no_border
}

step_hover_box_5() {
    begin_step "hover box 5"
    hover_at 189 119
    settle check_hover
    echo "ok: hover box 5: the read-out shows text, no box is bordered"
}

check_click_box_3() {
    expect_boxes BEFORE "unchanged by a click" && expect_border_on 3 && expect_no_border_except 3 &&
        expect_readout_text
}

step_click_box_3() {
    begin_step "click box 3"
    BEFORE=("${SEEN[@]}")
    click_at 189 49
    expect_clipboard "$(bgr_hex "${BEFORE[3]}")"
    settle check_click_box_3
    echo "ok: click box 3: clipboard $(bgr_hex "${BEFORE[3]}") for ${BEFORE[3]}, box 3 bordered"
}

check_new_proposals() {
    expect_equal "box 0 (the seed)" "${SEEN[0]}" "${BEFORE[0]}" && expect_new_proposals BEFORE &&
        expect_no_border && expect_empty_readout
}

step_next_label() {
    begin_step "release on next"
    BEFORE=("${SEEN[@]}")
    click_at "${NEXT_LABEL[@]}"
    settle check_new_proposals
    echo "ok: release on \">\": eight new proposals, border gone, read-out empty"
}

# One page step moves the handle a little: every slider pixel that changed is left of the middle.
check_slider() {
    check_new_proposals || return 1
    local changed count rightmost
    changed=$(paste -d' ' <(echo "$SLIDER_BEFORE") <("$XPROBE" pixels "$SHOT" "${SLIDER_ROWS[@]}") |
        awk -v left="${SLIDER_ROWS[0]}" -v width="${SLIDER_ROWS[2]}" '
            $1 != $2 { x = left + (NR - 1) % width; n++; if (x > max) max = x }
            END { print n + 0, max + 0 }')
    read -r count rightmost <<<"$changed"
    ((count > 0)) || { PROBLEM="the slider looks the same"; return 1; }
    ((rightmost < SLIDER_MIDDLE)) || {
        PROBLEM="the slider changed up to x = $rightmost: the handle moved more than a page step"
        return 1
    }
}

# The groove's middle row: the first run of rows in the slider that are not band-colored, in the column
# that will be clicked.
groove_row() {
    "$XPROBE" pixels "$1" "$SLIDER_CLICK_X" "${SLIDER[1]}" 1 "${SLIDER[3]}" |
        awk -v top="${SLIDER[1]}" -v band="$BAND" '
            $1 != band && !start { start = NR }
            $1 == band && start { print top + int((start + NR - 1) / 2) - 1; exit }'
}

step_slider() {
    begin_step "slider"
    BEFORE=("${SEEN[@]}")
    SLIDER_BEFORE=$("$XPROBE" pixels "$LAST_SHOT" "${SLIDER_ROWS[@]}")
    local row
    row=$(groove_row "$LAST_SHOT")
    [[ -n $row ]] || fail "no slider groove at x = $SLIDER_CLICK_X"
    click_at "$SLIDER_CLICK_X" "$row"
    settle check_slider
    echo "ok: slider: a click on the groove (y = $row) right of the handle stepped it; eight new proposals"
}

check_double_click_box_1() {
    expect_equal "box 0 (the new seed)" "${SEEN[0]}" "${BEFORE[1]}" && expect_new_proposals BEFORE &&
        expect_no_border && expect_empty_readout
}

step_double_click_box_1() {
    begin_step "double-click box 1"
    BEFORE=("${SEEN[@]}")
    double_click_at 49 49
    settle check_double_click_box_1
    expect_clipboard "$(bgr_hex "${BEFORE[1]}")"
    echo "ok: double-click box 1: ${BEFORE[1]} is the seed, clipboard $(bgr_hex "${BEFORE[1]}")"
}

check_dialog_cancelled() {
    expect_boxes BEFORE "after Escape" && expect_border_on 0 && expect_no_border_except 0 &&
        expect_readout_text
}

step_dialog_escape() {
    begin_step "dialog escape"
    BEFORE=("${SEEN[@]}")
    open_color_dialog
    press_keys "$DIALOG" Escape
    wait_for_no_window '^Select Color$'
    settle check_dialog_cancelled
    expect_clipboard "$(bgr_hex "${BEFORE[0]}")"
    SEED_TEXT=$(readout_text_size)
    echo "ok: double-click box 0: \"Select Color\" preset with box 8's ${BEFORE[8]}; Escape changed nothing"
}

# OK leaves the border and the read-out as the click before the double-click made them.
check_dialog_color() {
    expect_equal "box 0 (the chosen seed)" "${SEEN[0]}" "$CHOSEN" && expect_new_proposals BEFORE &&
        expect_border_on 0 && expect_no_border_except 0 &&
        expect_equal "the read-out's text" "$(readout_text_size)" "$SEED_TEXT"
}

step_dialog_color() {
    begin_step "dialog color"
    BEFORE=("${SEEN[@]}")
    CHOSEN=$DIALOG_COLOR
    choose_in_dialog "$CHOSEN"
    settle check_dialog_color
    expect_proposals_near "$CHOSEN" || fail "$PROBLEM"
    echo "ok: dialog: #$CHOSEN and Return made it the seed, with new proposals around it"
}

check_hover_seed() {
    expect_boxes BEFORE "unchanged by hovering" && expect_readout_text || return 1
    [[ $(readout_text_size) != "$SEED_TEXT" ]] || {
        PROBLEM="the read-out still shows the former seed's text"
        return 1
    }
}

step_dialog_black() {
    begin_step "dialog black"
    BEFORE=("${SEEN[@]}")
    # The read-out of the new seed, as the click before the double-click will show it.
    hover_at 119 119
    settle check_hover_seed
    SEED_TEXT=$(readout_text_size)
    CHOSEN=${BEFORE[8]} # black is never a seed: the preset takes its place
    choose_in_dialog 000000
    settle check_dialog_color
    echo "ok: dialog: black and Return made the preset $CHOSEN the seed instead"
}

check_picked() {
    expect_equal "box 0 (the picked seed)" "${SEEN[0]}" "${BEFORE[7]}" && expect_new_proposals BEFORE &&
        expect_empty_readout
}

step_eyedropper_pick() {
    begin_step "eyedropper pick"
    BEFORE=("${SEEN[@]}")
    local overlay size X Y WIDTH HEIGHT WINDOW SCREEN
    click_at "${EYEDROPPER[@]}"
    overlay=$(wait_for_window '^Pick a color$')
    size=$(xdotool getwindowgeometry "$overlay" | sed -n 's/^ *Geometry: //p')
    [[ $size == "$(xdotool getdisplaygeometry | tr ' ' x)" ]] ||
        fail "the overlay is $size, not the size of the screen"
    eval "$(xdotool getwindowgeometry --shell "$CORVELLA_WINDOW")"
    xdotool mousemove $((X + 119)) $((Y + 189))
    # The magnifier shows box 7's color over far more than the box's own 4900 pixels.
    wait_for_color_area root "${BEFORE[7]}" 10000 magnifier
    xdotool click 1
    wait_for_no_window '^Pick a color$'
    xdotool mousemove --window "$CORVELLA_WINDOW" "${WHITE_MARGIN[@]}"
    settle check_picked
    echo "ok: eyedropper: the magnifier followed the pointer; a click picked box 7's ${BEFORE[7]}"
}

check_not_picked() {
    expect_equal "box 0 (the seed)" "${SEEN[0]}" "${BEFORE[0]}" && expect_new_proposals BEFORE &&
        expect_empty_readout
}

step_eyedropper_cancel() {
    begin_step "eyedropper cancel"
    BEFORE=("${SEEN[@]}")
    local overlay message
    click_at "${EYEDROPPER[@]}"
    overlay=$(wait_for_window '^Pick a color$')
    press_keys "$overlay" Escape
    wait_for_no_window '^Pick a color$'
    message=$(wait_for_window '^Corvella$')
    "$XPROBE" shot root "${SHOT%.png}-message.png"
    press_keys "$message" Return
    wait_for_no_window '^Corvella$'
    settle check_not_picked
    echo "ok: eyedropper: Escape, then Return on \"No color picked.\"; same seed, new proposals"
}

step_close() {
    begin_step "close"
    local exe
    "$XPROBE" close "$CORVELLA_WINDOW"
    wait_for_exit "$CORVELLA_PID" || fail "still running 30 s after the close request"
    [[ $EXIT_STATUS == 0 ]] || fail "exit status $EXIT_STATUS"
    for exe in /proc/[0-9]*/exe; do
        if [[ $(readlink "$exe" 2>/dev/null) == "$PREFIX/bin/corvella" ]]; then
            fail "a process of $PREFIX/bin/corvella is left: ${exe%/exe}"
        fi
    done
    echo "ok: close: exit status 0, no process left"
}

start_session
step_start
step_hover_box_5
step_click_box_3
step_next_label
step_slider
step_double_click_box_1
step_dialog_escape
step_dialog_color
step_dialog_black
step_eyedropper_pick
step_eyedropper_cancel
step_close
if [[ -n ${CORVELLA_KEEP_SCREENSHOTS:-} ]]; then
    echo "screenshots in $SHOTS"
else
    rm -rf "$SHOTS"
fi
echo "PASS: a whole session on the installed program"

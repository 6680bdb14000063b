# Sourced by the end-to-end tests: a private Xvfb for this test, clean-up on every way out, and the
# helpers the tests share (polling, windows found by title, keys, the installed layout).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/privateXvfb.sh"

E2E_PIDS=()
E2E_TEMP_DIRS=()

e2e_cleanup() {
    local pid
    for pid in "${E2E_PIDS[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    if ((${#E2E_TEMP_DIRS[@]} > 0)); then
        rm -rf -- "${E2E_TEMP_DIRS[@]}"
    fi
}
trap e2e_cleanup EXIT

# A script may name the step it is in (E2E_STEP) and add a note (E2E_FAIL_NOTE) to every failure.
fail() {
    echo "FAIL: ${E2E_STEP:+step '$E2E_STEP': }$*${E2E_FAIL_NOTE:+ ($E2E_FAIL_NOTE)}" >&2
    exit 1
}

# Starts Xvfb on a display number it picks itself (no clash with parallel tests) and exports DISPLAY.
start_xvfb() {
    start_private_xvfb || fail "Xvfb did not start"
    E2E_PIDS+=("$PRIVATE_XVFB_PID")
}

# Starts Corvella in the background and sets CORVELLA_PID and CORVELLA_WINDOW.
start_corvella() {
    "$@" &
    CORVELLA_PID=$!
    E2E_PIDS+=("$CORVELLA_PID")
    CORVELLA_WINDOW=$(timeout 20 xdotool search --sync --onlyvisible --name '^ Corvella$' | head -n 1) ||
        fail "no Corvella window appeared"
}

# Waits up to 30 s (a sanitized build checks for leaks on the way out) for a background process of
# this shell to end, and sets EXIT_STATUS. Not in a subshell: only this shell can wait for its child.
wait_for_exit() {
    local pid=$1
    EXIT_STATUS=0
    for _ in $(seq 300); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && return 1
    wait "$pid" || EXIT_STATUS=$?
}

# The color of a pixel of the window, as RRGGBB.
pixel_at() {
    "$XPROBE" pixel "$CORVELLA_WINDOW" "$1" "$2"
}

# Waits up to ten seconds (sanitized builds on a busy machine are slow) for a command's output to equal
# the expected text.
wait_for_output() {
    local expected=$1 actual=""
    shift
    for _ in $(seq 100); do
        actual=$("$@" 2>/dev/null || true)
        [[ $actual == "$expected" ]] && return 0
        sleep 0.1
    done
    fail "expected '$expected' from '$*', got '$actual'"
}

# poll_until <seconds> <command...>: runs the command every 0.1 s until it succeeds; returns 1 if it
# never did.
poll_until() {
    local seconds=$1
    shift
    for _ in $(seq $((seconds * 10))); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# Prints the id of the visible window whose title matches the regular expression, waiting up to 20 s
# for it; fails when none appears.
wait_for_window() {
    local id
    id=$(timeout 20 xdotool search --sync --onlyvisible --name "$1" | head -n 1) || true
    [[ -n $id ]] || fail "no visible window titled '$1' appeared"
    echo "$id"
}

no_window_titled() {
    [[ -z $(xdotool search --onlyvisible --name "$1" 2>/dev/null) ]]
}

# Waits up to 20 s for every visible window whose title matches the regular expression to go away.
wait_for_no_window() {
    poll_until 20 no_window_titled "$1" || fail "the window titled '$1' is still shown"
}

# Without a window manager keys go to the window with the input focus: gives it to the window first.
press_keys() {
    local window=$1
    shift
    timeout 10 xdotool windowfocus --sync "$window" || fail "cannot focus window $window"
    xdotool key "$@"
}

# Blue, green, red: the order in which a click copies a color's hex digits.
bgr_hex() {
    echo "${1:4:2}${1:2:2}${1:0:2}"
}

# Creates a temporary folder that is removed on the way out, and stores its path in the variable named.
new_temp_dir() {
    local dir
    dir=$(mktemp -d)
    E2E_TEMP_DIRS+=("$dir")
    printf -v "$1" '%s' "$dir"
}

# What `cmake --install` lays out, relative to the prefix.
installed_files() {
    local size
    echo bin/corvella
    echo lib/corvella/libcolorPicker.so
    echo share/applications/example.quenlot.Corvella.desktop
    echo share/metainfo/example.quenlot.Corvella.metainfo.xml
    for size in 32 48 64 128 256; do
        echo "share/icons/hicolor/${size}x${size}/apps/example.quenlot.Corvella.png"
    done
}

# Installs the build in a prefix, as `make install` does; shows cmake's output only when it fails.
install_corvella() {
    local build_dir=$1 prefix=$2 log
    log=$(env -u DESTDIR cmake --install "$build_dir" --prefix "$prefix" 2>&1) ||
        fail "cmake --install $build_dir failed:"$'\n'"$log"
}

# The value of a key in the [Desktop Entry] group of a desktop file.
desktop_entry_value() {
    sed -n '/^\[Desktop Entry\]/,/^\[/{s/^'"$2"'=//p}' "$1"
}

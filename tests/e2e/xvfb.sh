# Sourced by the end-to-end tests: a private Xvfb for this test, and clean-up on every way out.
set -euo pipefail

E2E_PIDS=()

e2e_cleanup() {
    local pid
    for pid in "${E2E_PIDS[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
}
trap e2e_cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Starts Xvfb on a display number it picks itself (no clash with parallel tests) and exports DISPLAY.
start_xvfb() {
    local fifo number
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" 2>/dev/null &
    E2E_PIDS+=($!)
    read -r -t 20 number <"$fifo" || fail "Xvfb did not start"
    rm -f "$fifo"
    export DISPLAY=":$number"
    unset WAYLAND_DISPLAY
    export QT_QPA_PLATFORM=xcb
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

# Waits up to five seconds for a command's output to equal the expected text.
wait_for_output() {
    local expected=$1 actual=""
    shift
    for _ in $(seq 50); do
        actual=$("$@" 2>/dev/null || true)
        [[ $actual == "$expected" ]] && return 0
        sleep 0.1
    done
    fail "expected '$expected' from '$*', got '$actual'"
}

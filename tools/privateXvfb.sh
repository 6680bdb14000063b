# Sourced by scripts that need an X display of their own: start_private_xvfb starts Xvfb on a display
# number it picks itself (no clash with other runs), exports DISPLAY for the xcb platform, and sets
# PRIVATE_XVFB_PID for the caller to stop. -noreset: by default the server resets whenever its last client
# leaves, and drops a client that connects meanwhile, as a program started while a short xdotool call ends.
start_private_xvfb() {
    local fifo number
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 "${1:-1280x1024x24}" -nolisten tcp -noreset 3>"$fifo" 2>/dev/null &
    PRIVATE_XVFB_PID=$!
    if ! read -r -t 20 number <"$fifo"; then
        rm -f "$fifo"
        echo "Xvfb did not start" >&2
        return 1
    fi
    rm -f "$fifo"
    export DISPLAY=":$number" QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY
}

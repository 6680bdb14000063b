#!/usr/bin/env bash
# Start-up time (exec to window mapped) and peak RSS of Corvella against a minimal Qt window of the
# same size, alternating runs under a private Xvfb. Usage: startup.sh <build dir> [runs]
set -euo pipefail
build=$1
runs=${2:-15}
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
read -r -t 20 number <"$fifo"
rm -f "$fifo"
export DISPLAY=":$number" QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
# One unmeasured start of each warms the file cache and the font cache.
"$build/bench/startupTimer" 1 100 "$build/bin/corvella" "$build/bench/minimalWindow" >/dev/null
"$build/bench/startupTimer" "$runs" 500 "$build/bin/corvella" "$build/bench/minimalWindow"

#!/usr/bin/env bash
# Remakes docs/corvella.png, the README's picture of the window: Corvella as it starts, on a private
# Xvfb, with the pointer over a proposal so that the read-out shows its values.
# Usage: tools/screenshot.sh [build dir]
set -euo pipefail
build=${1:-build}
out=$(dirname "$0")/../docs/corvella.png
source "$(dirname "$0")/privateXvfb.sh"
start_private_xvfb 1024x768x24
trap 'kill "$PRIVATE_XVFB_PID" "${program:-}" 2>/dev/null || true' EXIT
"$build/bin/corvella" 2>/dev/null &
program=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^ Corvella$' | head -n 1)
xdotool mousemove --window "$window" 189 49 # box 3
sleep 0.5
"$build/tests/xprobe" shot "$window" "$out"
echo "wrote $out"

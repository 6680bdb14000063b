#!/usr/bin/env bash
# Remakes docs/corvella.png, the README's picture of the window: Corvella as it starts, on a private
# Xvfb, with the pointer over a proposal so that the read-out shows its values. Needs python3-xlib and
# python3-pil. Usage: tools/screenshot.sh [build dir]
set -euo pipefail
build=${1:-build}
out=$(realpath "$(dirname "$0")/../docs")/corvella.png
source "$(dirname "$0")/privateXvfb.sh"
start_private_xvfb 1024x768x24
trap 'kill "$PRIVATE_XVFB_PID" "${program:-}" 2>/dev/null || true' EXIT
"$build/bin/corvella" 2>/dev/null &
program=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^ Corvella$' | head -n 1)
xdotool mousemove --window "$window" 189 49 # box 3
sleep 0.5
/usr/bin/python3 - "$window" "$out" <<'PYTHON'
import sys
from PIL import Image
from Xlib import X, display
window = display.Display().create_resource_object("window", int(sys.argv[1]))
size = window.get_geometry()
raw = window.get_image(0, 0, size.width, size.height, X.ZPixmap, 0xFFFFFFFF).data
Image.frombytes("RGB", (size.width, size.height), raw, "raw", "BGRX").save(sys.argv[2], optimize=True)
PYTHON
echo "wrote $out"

#!/usr/bin/env bash
# Start-up time (exec to window mapped, and to its first frame) and memory of Corvella against the reference
# window of the same size (minimalWindow), alternating runs under a private Xvfb: 21 of each by default, as
# for the README's figures. Usage: startup.sh <build dir> [runs]
set -euo pipefail
build=$1
runs=${2:-21}
source "$(dirname "$0")/../tools/privateXvfb.sh"
start_private_xvfb
trap 'kill "$PRIVATE_XVFB_PID" 2>/dev/null' EXIT
# One unmeasured start of each warms the file cache and the font cache.
"$build/bench/startupTimer" 1 100 "$build/bin/corvella" "$build/bench/minimalWindow" >/dev/null 2>&1
"$build/bench/startupTimer" "$runs" 500 "$build/bin/corvella" "$build/bench/minimalWindow" 2>/dev/null

#!/usr/bin/env bash
# Takes a screenshot of the main window under Wine and Xvfb: build/screenshot.png.
# Run ./scripts/test.sh (or at least the win64 build) first.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
VARNHOLT_BUILD="$root/build/win64"
# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh"
wine "$VARNHOLT_BUILD/tests/win/screenshot_demo.exe" 6 >/dev/null 2>&1 &
demo=$!
sleep 4
import -display "$DISPLAY" -window root "$root/build/screenshot-full.png"
wait "$demo" || true
[ -n "${VARNHOLT_XVFB:-}" ] && kill "$VARNHOLT_XVFB" 2>/dev/null
# Crop to the centred window with a margin.
convert "$root/build/screenshot-full.png" -gravity center -crop 480x320+0+0 +repage \
    "$root/build/screenshot.png"
echo "$root/build/screenshot.png"

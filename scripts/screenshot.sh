#!/usr/bin/env bash
# Takes a screenshot of the main window under Wine and Xvfb: build/screenshot.png.
# With "dialog" the plugin row's open-file dialog is open; with "warning" the game
# chooser's warning is shown; with "tooltip" the mouse rests on the plugin row's mark; with
# "package" a small add-on folder is installed into a scratch game and its report shows
# (build/screenshot-dialog.png, build/screenshot-warning.png, build/screenshot-tooltip.png,
# build/screenshot-package.png, the picture kept as docs/package-report.png).
# Run ./scripts/test.sh (or at least the win64 build) first.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
VARNHOLT_BUILD="$root/build/win64"
# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh"
mode="${1:-}"
out="$root/build/screenshot${mode:+-$mode}.png"
"$VARNHOLT_WINE" "$VARNHOLT_BUILD/tests/win/screenshot_demo.exe" 8 "$mode" >/dev/null 2>&1 &
demo=$!
sleep 4
if [ "$mode" = tooltip ]; then
    # The plugin row's mark sits at (362, 48) in the client area, below a title bar.
    window=$(xdotool search --name 'Varnholt\(Beta\)' | head -1)
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool mousemove $((X + 368)) $((Y + 70))
    sleep 0.3
    xdotool mousemove $((X + 370)) $((Y + 72))
    sleep 2
fi
import -display "$DISPLAY" -window root "$root/build/screenshot-full.png"
wait "$demo" || true
[ -n "${VARNHOLT_XVFB:-}" ] && kill "$VARNHOLT_XVFB" 2>/dev/null
# Crop to the centred window with a margin.
size=480x320
[ -n "$mode" ] && size=900x700
[ "$mode" = package ] && size=580x360
convert "$root/build/screenshot-full.png" -gravity center -crop "$size+0+0" +repage "$out"
echo "$out"

#!/usr/bin/env bash
# Runs the Windows build's tests under Wine. $1: the Windows build folder.
set -uo pipefail
VARNHOLT_BUILD="$(cd "$1" && pwd)"
root="$(cd "$(dirname "$0")/.." && pwd)"
# A server left from an earlier run may hold rights this run gave up: start afresh.
WINEPREFIX="$VARNHOLT_BUILD/wineprefix" wineserver -k >/dev/null 2>&1 || true
# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh"
trap 'wineserver -k >/dev/null 2>&1 || true; [ -n "${VARNHOLT_XVFB:-}" ] && kill "$VARNHOLT_XVFB" 2>/dev/null || true' EXIT
ctest --test-dir "$VARNHOLT_BUILD" --output-on-failure

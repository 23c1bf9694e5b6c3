#!/usr/bin/env bash
# Runs the Windows builds' tests under Wine. Arguments: the Windows build folders.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# A server left from an earlier run may hold rights this run gave up: start afresh.
WINEPREFIX="$root/build/wineprefix" wineserver -k >/dev/null 2>&1 || true
# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh"
trap 'wineserver -k >/dev/null 2>&1 || true; [ -n "${VARNHOLT_XVFB:-}" ] && kill "$VARNHOLT_XVFB" 2>/dev/null || true' EXIT
status=0
for build in "$@"; do
    if grep -q 'i686' "$build/CMakeCache.txt" 2>/dev/null && ! varnholt_runs_32bit; then
        echo "== $(basename "$build"): this kernel cannot run 32-bit programs, so 32-bit Wine"
        echo "   cannot start; running the checks that need no Wine"
        ctest --test-dir "$build" --output-on-failure -R '^exe_' || status=1
        continue
    fi
    echo "== $(basename "$build") tests under Wine"
    ctest --test-dir "$build" --output-on-failure || status=1
done
exit $status

#!/usr/bin/env bash
# Runs the Windows builds' tests under Wine. Arguments: the Windows build folders.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# A server left from an earlier run may hold rights this run gave up: start afresh.
WINEPREFIX="${VARNHOLT_WINEPREFIX:-$root/build/wineprefix}" wineserver -k >/dev/null 2>&1 || true
# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh"
# A small filesystem as drive M:, for the disk-full tests (skipped where mounting is not
# allowed).
full="$WINEPREFIX-fullfs"
mkdir -p "$full"
mountpoint -q "$full" || mount -t tmpfs -o size=8m varnholt-full "$full" 2>/dev/null || true
if mountpoint -q "$full"; then
    ln -sfn "$full" "$WINEPREFIX/dosdevices/m:"
    export VARNHOLT_FULL_DRIVE="M:"
fi
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    rm -f "$WINEPREFIX/dosdevices/m:"
    mountpoint -q "$full" && umount "$full" 2>/dev/null
    [ -n "${VARNHOLT_XVFB:-}" ] && kill "$VARNHOLT_XVFB" 2>/dev/null
    return 0
}
trap cleanup EXIT
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

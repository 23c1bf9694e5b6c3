#!/usr/bin/env bash
# Builds the Windows tree if needed, runs the benches under Wine and prints their figures,
# then a summary. Each figure is a side-by-side comparison measured in this one run.
#   start-up   the program against a minimal window program, process start to visible window
#   install    InstallSelected against plain CopyFileW of the same four files
#   package    a 200 MB package, as a folder and as a zip, against CopyFileW / inflate+WriteFile
#   map        a 200 MB map with its companions against CopyFileW of the same files
#   list       RegisterPlugin on plugin lists of 64 KB to 4 MB
#   memory     the program's peak working set after an install
# Optional argument: "quick" for fewer repetitions.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
"$root/scripts/setup.sh"

startup_pairs=21 install_pairs=11 list_rounds=7 memory_runs=3
if [ "${1:-}" = quick ]; then
    startup_pairs=5 install_pairs=3 list_rounds=3 memory_runs=1
fi

build="$root/build/win64"
if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B build/win64 -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
fi
cmake --build build/win64 -j "$(nproc)" --target varnholt empty_window startup_bench \
    install_bench package_bench map_bench plugin_list_bench memory_bench

log="$(mktemp)"
VARNHOLT_BUILD="$build"
# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh"
# The 64-bit build runs on wine64 itself (see wine-env.sh).
wine() { "$VARNHOLT_WINE" "$@"; }
# Ends this prefix's server and the display started for the run (if one was).
trap 'rm -f "$log"; wineserver -k >/dev/null 2>&1 || true; [ -n "${VARNHOLT_XVFB:-}" ] && kill "$VARNHOLT_XVFB" 2>/dev/null || true' EXIT
# The program opens its web site at start-up through the shell. Wine reads its DLL overrides
# from the Unix environment, which every Wine process started from here inherits (setting it
# in a Windows environment block has no effect): with the browser helper disabled the shell's
# "open" fails within milliseconds and no browser ever starts, installed or not.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winebrowser.exe=d"

to_windows() { echo "Z:${1//\//\\}"; }
program="$(to_windows "$build/app/varnholt.exe")"
empty="$(to_windows "$build/bench/empty_window.exe")"

status=0
run() {
    echo
    wine "$build/bench/$1" "${@:2}" 2>&1 | tee -a "$log" || status=1
}
started=$SECONDS
run startup_bench.exe "$startup_pairs" "$program" "$empty"
run install_bench.exe "$install_pairs"
run package_bench.exe "$install_pairs"
run map_bench.exe "$install_pairs"
run plugin_list_bench.exe "$list_rounds"
run memory_bench.exe "$memory_runs" "$program" "$empty"

echo
echo "== summary ($((SECONDS - started)) s, $(nproc) cores)"
grep '^summary: ' "$log" | sed 's/^summary: /  /' || true
exit $status

#!/usr/bin/env bash
# Builds the Windows program and starts it under Wine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
"$root/scripts/setup.sh"
cmake -S . -B build/win64 -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNHOLT_TESTS=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build build/win64 --target varnholt
VARNHOLT_BUILD="$root/build/win64"
# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh"
exec "$VARNHOLT_WINE" "$root/build/win64/app/varnholt.exe"

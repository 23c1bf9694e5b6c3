#!/usr/bin/env bash
# Builds the native and the Windows trees and runs every test (the Windows ones under Wine).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
"$root/scripts/setup.sh"

jobs=$(nproc)
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/native -j "$jobs"
cmake -S . -B build/win64 -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build build/win64 -j "$jobs"

status=0
echo "== native tests"
ctest --test-dir build/native --output-on-failure || status=1

echo "== Windows tests under Wine"
# As root, Wine would write read-only files; the tests need Windows' refusal, so the Wine
# side runs without the capability that overrides file permissions.
wine_tests=("$root/scripts/wine-tests.sh" "$root/build/win64")
if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null; then
    wine_tests=(setpriv --bounding-set=-dac_override,-dac_read_search \
        --inh-caps=-dac_override,-dac_read_search -- "${wine_tests[@]}")
fi
"${wine_tests[@]}" || status=1
exit $status

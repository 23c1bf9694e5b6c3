#!/usr/bin/env bash
# Builds the native tree and both Windows trees (x86-64 and 32-bit x86) and runs every test:
# the core natively with sanitizers, the Windows builds under Wine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
"$root/scripts/setup.sh"

jobs=$(nproc)
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/native -j "$jobs"
# The fuzz targets, for a short bounded run (scripts/fuzz.sh runs them longer).
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVARNHOLT_FUZZ=ON -DVARNHOLT_SANITIZE=OFF -DVARNHOLT_TESTS=OFF >/dev/null
cmake --build build/fuzz -j "$jobs"
for arch in x86_64:win64 i686:win32; do
    cmake -S . -B "build/${arch#*:}" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-${arch%%:*}.cmake" >/dev/null
    cmake --build "build/${arch#*:}" -j "$jobs"
done

status=0
echo "== native tests"
ctest --test-dir build/native --output-on-failure || status=1
echo "== fuzz targets, short runs"
ctest --test-dir build/fuzz --output-on-failure -R fuzz || status=1

# As root, Wine would write read-only files; the tests need Windows' refusal, so the Wine
# side runs without the capability that overrides file permissions.
wine_tests=("$root/scripts/wine-tests.sh" "$root/build/win64" "$root/build/win32")
if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null; then
    wine_tests=(setpriv --bounding-set=-dac_override,-dac_read_search \
        --inh-caps=-dac_override,-dac_read_search -- "${wine_tests[@]}")
fi
"${wine_tests[@]}" || status=1
exit $status

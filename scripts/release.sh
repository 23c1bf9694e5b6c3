#!/usr/bin/env bash
# Builds both release exes and puts them, with a SHA-256 list, into dist/:
#   dist/varnholt-<version>-win64.exe, dist/varnholt-<version>-win32.exe, dist/SHA256SUMS
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
"$root/scripts/setup.sh"
rm -rf dist
for arch in x86_64:win64 i686:win32; do
    tree="build/release-${arch#*:}"
    cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNHOLT_TESTS=OFF \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-${arch%%:*}.cmake" >/dev/null
    cmake --build "$tree" --target dist
done
(cd dist && sha256sum varnholt-*.exe > SHA256SUMS && cat SHA256SUMS)
ls -l dist

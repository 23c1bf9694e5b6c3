#!/usr/bin/env bash
# Longer fuzz runs of the core's text rules with libFuzzer: builds the fuzz targets in
# build/fuzz with Clang and runs each for the given number of seconds (default 60).
#
#   ./scripts/fuzz.sh [seconds]
#
# Inputs that add coverage collect in build/fuzz/corpus/<target>/ and are kept between runs;
# the committed seeds in fuzz/corpus/<target>/ are only read. A failing input is written to
# build/fuzz/artifacts/ and the script stops with the fuzzer's report; replay it with
#   build/fuzz/fuzz/<target> build/fuzz/artifacts/<file>
# The short bounded runs are CTest tests of that tree: ctest --test-dir build/fuzz -R _fuzz
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

seconds="${1:-60}"
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 [seconds]" >&2
    exit 2
fi

sudo_() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
install_() {
    echo "fuzz: installing $*"
    sudo_ apt-get update -qq
    sudo_ env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}

"$root/scripts/setup.sh"
command -v clang++ >/dev/null || install_ clang
# libFuzzer's runtime comes in a package of its own, named after Clang's major version.
if ! echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' |
        clang++ -x c++ -fsanitize=fuzzer - -o /dev/null 2>/dev/null; then
    major="$(clang++ -dumpversion | cut -d. -f1)"
    install_ "libclang-rt-$major-dev"
fi

tree=build/fuzz
targets=(path_rules_fuzz plugin_list_fuzz)
# The top-level sanitizer flags stay off here: the targets bring the fuzzer's own.
CC=clang CXX=clang++ cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVARNHOLT_FUZZ=ON -DVARNHOLT_SANITIZE=OFF >/dev/null
cmake --build "$tree" --target "${targets[@]}"

mkdir -p "$tree/artifacts"
for target in "${targets[@]}"; do
    echo "== $target: $seconds s"
    mkdir -p "$tree/corpus/$target"
    "$tree/fuzz/$target" -max_total_time="$seconds" -max_len=256 -print_final_stats=1 \
        -artifact_prefix="$tree/artifacts/$target-" \
        "$tree/corpus/$target" "fuzz/corpus/$target"
done
echo "fuzz: no failure found"

#!/usr/bin/env bash
# Installs what building and testing need on Debian (12 or later), skipping what is there.
set -euo pipefail

packages=(
    cmake ninja-build g++ googletest python3 zlib1g-dev libz-mingw-w64-dev
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    g++-mingw-w64-i686-posix binutils-mingw-w64-i686
    clang
    wine wine64 wine32:i386 xvfb xauth x11-apps imagemagick xdotool
    locales fonts-wqy-microhei
)

sudo_() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# The 32-bit build's tests run under Debian's 32-bit Wine.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "setup: adding the i386 architecture"
    sudo_ dpkg --add-architecture i386
    force_update=1
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ] || [ -n "${force_update:-}" ]; then
    echo "setup: installing ${missing[*]}"
    sudo_ apt-get update -qq
    if [ ${#missing[@]} -gt 0 ]; then
        sudo_ env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
            "${missing[@]}" >/dev/null
    fi
fi

# libFuzzer and the sanitizers' runtime for the clang that apt brought, whichever version
# that is (its package carries the major version in its name).
clang_major=$(clang -dumpversion | cut -d. -f1)
if [ -n "$clang_major" ]; then
    rt="libclang-rt-$clang_major-dev"
    if ! dpkg-query -W -f='${Status}' "$rt" 2>/dev/null | grep -q "ok installed"; then
        echo "setup: installing $rt"
        sudo_ env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
            "$rt" >/dev/null
    fi
fi

# The Chinese locale gives Wine code page 936, and lets it create non-ASCII file names.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
    echo "setup: generating the zh_CN.UTF-8 locale"
    sudo_ localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi

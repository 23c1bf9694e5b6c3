# Sourced by the other scripts: one Wine prefix inside the build folder (build/wineprefix,
# shared by the 64- and 32-bit trees), an X display, and a persistent wineserver so each test
# program starts quickly.

# 64-bit programs go straight to wine64: Debian's wrapper goes through the 32-bit loader once
# wine32 is installed, and that fails on a kernel that cannot run 32-bit programs.
if [ -x /usr/lib/wine/wine64 ]; then
    VARNHOLT_WINE=/usr/lib/wine/wine64
else
    VARNHOLT_WINE=wine
fi
export VARNHOLT_WINE

# Whether this machine runs 32-bit Linux programs, which 32-bit Wine needs.
varnholt_runs_32bit() { [ -x /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1; }

# VARNHOLT_WINEPREFIX names another prefix, so that two people working in one checkout
# can run Wine tests side by side without ending each other's wineserver.
export WINEPREFIX="${VARNHOLT_WINEPREFIX:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LC_ALL=zh_CN.UTF-8
export LANG=zh_CN.UTF-8

# An X display: the caller's, or a private Xvfb (its pid in VARNHOLT_XVFB, for the caller to end).
display_number="${DISPLAY:-}"
display_number="${display_number#*:}"
display_number="${display_number%%.*}"
if [ -z "${DISPLAY:-}" ] || [ ! -e "/tmp/.X11-unix/X$display_number" ]; then
    for n in $(seq 90 120); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
            Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
            VARNHOLT_XVFB=$!
            for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
            export DISPLAY=":$n"
            break
        fi
    done
fi

# A prefix made before wine32 was installed runs no 32-bit program: remake it then.
wine_kind="wine32:$(dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -c 'ok installed')"
if [ -f "$WINEPREFIX/.varnholt-ready" ] && [ "$(cat "$WINEPREFIX/.varnholt-ready")" != "$wine_kind" ]; then
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
fi
mkdir -p "$WINEPREFIX"
if [ ! -f "$WINEPREFIX/.varnholt-ready" ]; then
    "$VARNHOLT_WINE" wineboot --init >/dev/null 2>&1 </dev/null || true
    # A CJK font for the Chinese texts, and no window-manager decorations to wait for.
    cat > "$WINEPREFIX/varnholt.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Tahoma"="WenQuanYi Micro Hei"
"MS Shell Dlg"="WenQuanYi Micro Hei"
"MS Shell Dlg 2"="WenQuanYi Micro Hei"
"SimSun"="WenQuanYi Micro Hei"
"Microsoft YaHei UI"="WenQuanYi Micro Hei"
"Segoe UI"="WenQuanYi Micro Hei"

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
"Decorated"="Y"
REG
    "$VARNHOLT_WINE" regedit /S "$WINEPREFIX/varnholt.reg" >/dev/null 2>&1 </dev/null || true
    # Let the server write the registry out and end before the persistent one starts.
    wineserver -w >/dev/null 2>&1 </dev/null || true
    # Only a prefix that took the settings counts as ready; a failed start tries again.
    if grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
        echo "$wine_kind" > "$WINEPREFIX/.varnholt-ready"
    fi
fi
# Start the server and Wine's own services now, away from any pipe: services started by the
# first test program would inherit CTest's output pipe and keep it waiting.
wineserver -p >/dev/null 2>&1 </dev/null || true
"$VARNHOLT_WINE" wineboot >/dev/null 2>&1 </dev/null || true

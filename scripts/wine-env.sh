# Sourced by the other scripts: a Wine prefix inside the build folder, an X display, and a
# persistent wineserver so each test program starts quickly.
# Needs VARNHOLT_BUILD (the build folder) set by the caller.

export WINEPREFIX="${VARNHOLT_BUILD:?}/wineprefix"
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

mkdir -p "$WINEPREFIX"
if [ ! -f "$WINEPREFIX/.varnholt-ready" ]; then
    wine wineboot --init >/dev/null 2>&1 </dev/null || true
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
    wine regedit /S "$WINEPREFIX/varnholt.reg" >/dev/null 2>&1 </dev/null || true
    # Let the server write the registry out and end before the persistent one starts.
    wineserver -w >/dev/null 2>&1 </dev/null || true
    touch "$WINEPREFIX/.varnholt-ready"
fi
# Start the server and Wine's own services now, away from any pipe: services started by the
# first test program would inherit CTest's output pipe and keep it waiting.
wineserver -p >/dev/null 2>&1 </dev/null || true
wine wineboot >/dev/null 2>&1 </dev/null || true

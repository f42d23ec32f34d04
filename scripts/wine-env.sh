# Shared by the run and test scripts (sourced): 64-bit Wine with the Russian
# code page, a virtual display, and prefixes of the project's own.
# shellcheck shell=bash

export WINEARCH=win64
export WINEDEBUG=-all
export LC_ALL=ru_RU.UTF-8
# No Mono or Gecko installers while a prefix boots: there is no network. No
# menu builder either: it would run for every shell link saved into a
# Startup folder.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
KV_WINE=/usr/lib/wine/wine64
KV_WINESERVER=/usr/lib/wine/wineserver64
[ -x "$KV_WINESERVER" ] || KV_WINESERVER=$(command -v wineserver || echo /usr/lib/wine/wineserver)

KV_XVFB_PID=""

# Starts Xvfb on a free display number and exports DISPLAY.
kv_start_virtual_display() {
    local fdfile
    fdfile=$(mktemp)
    Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$fdfile" >/dev/null 2>&1 &
    KV_XVFB_PID=$!
    for _ in $(seq 1 100); do
        [ -s "$fdfile" ] && break
        sleep 0.1
    done
    if [ ! -s "$fdfile" ]; then
        echo "could not start Xvfb" >&2
        rm -f "$fdfile"
        return 1
    fi
    export DISPLAY=":$(head -n1 "$fdfile")"
    rm -f "$fdfile"
}

kv_stop_virtual_display() {
    if [ -n "$KV_XVFB_PID" ]; then
        kill "$KV_XVFB_PID" 2>/dev/null || true
        wait "$KV_XVFB_PID" 2>/dev/null || true
        KV_XVFB_PID=""
    fi
}

# True when DISPLAY names a display that answers.
kv_display_works() {
    [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1
}

kv_wine() {
    "$KV_WINE" "$@" </dev/null
}

kv_reg_add() { # key value type data
    kv_wine reg add "$1" /v "$2" /t "$3" /d "$4" /f >/dev/null 2>&1
}

# Boots a new prefix at $WINEPREFIX. The display must already run: a prefix
# booted without one can never create a window later.
kv_boot_prefix() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    kv_wine wineboot -i >/dev/null 2>&1
    "$KV_WINESERVER" -w
}

kv_stop_wine() {
    "$KV_WINESERVER" -k >/dev/null 2>&1 || true
}

#!/usr/bin/env bash
# Sets up the machine, builds Kelvorin and starts it under Wine in a prefix of
# its own. With a working display the window opens there; without one it runs
# on a virtual display, a screenshot of the window is saved, and it exits.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${KV_BUILD_ROOT:-$root/build}

"$root/scripts/setup.sh"
# Only the program: the tests and the benchmark are built by test.sh.
"$root/scripts/build.sh" x64 "$build_root" Kelvorin

# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh"
# shellcheck source=sample-startup-set.sh
. "$root/scripts/sample-startup-set.sh"
export WINEPREFIX=${KV_RUN_PREFIX:-$build_root/run-prefix}

headless=0
if [ -n "${KV_HEADLESS:-}" ] || ! kv_display_works; then
    headless=1
    kv_start_virtual_display
fi
cleanup() {
    kv_stop_wine
    kv_stop_virtual_display
}
trap cleanup EXIT

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "run: making the Wine prefix $WINEPREFIX with a sample startup set"
    kv_boot_prefix
    kv_sample_startup_set
    "$KV_WINESERVER" -w
fi

exe="$build_root/x64/bin/Kelvorin.exe"
if [ "$headless" = 0 ]; then
    # A real display: no virtual desktop, the window opens among the others.
    kv_wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1 || true
    "$KV_WINESERVER" -w
    echo "run: starting Kelvorin on $DISPLAY"
    "$KV_WINE" "$exe" "$@"
    exit 0
fi

# No display: a Wine virtual desktop draws the window with its caption.
kv_reg_add 'HKCU\Software\Wine\Explorer' Desktop REG_SZ Default
kv_reg_add 'HKCU\Software\Wine\Explorer\Desktops' Default REG_SZ 1024x768
# The desktop process reads these when the session starts: end this one first.
"$KV_WINESERVER" -w
shot=${KV_SCREENSHOT:-$build_root/kelvorin-window.png}
"$KV_WINE" "$exe" "$@" </dev/null >/dev/null 2>&1 &
for _ in $(seq 1 60); do
    xwininfo -root -tree 2>/dev/null | grep -q '"Kelvorin"' && break
    sleep 0.5
done
sleep 3
import -display "$DISPLAY" -window root "$shot"
echo "run: no display here; a screenshot of the window is in $shot"

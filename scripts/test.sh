#!/usr/bin/env bash
# Sets up the machine, builds both targets and runs the whole test suite under
# Wine in a fresh prefix on a virtual display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${KV_BUILD_ROOT:-$root/build}

"$root/scripts/setup.sh"
# Warnings of the project's own code fail the build here, as they do in CI.
export KV_WARNINGS_AS_ERRORS=ON
"$root/scripts/build.sh" x64 "$build_root"
"$root/scripts/build.sh" i686 "$build_root"

# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/kelvorin-test.XXXXXX")
export WINEPREFIX=$work/prefix
cleanup() {
    exec 9>&- || true
    kv_stop_wine
    kv_stop_virtual_display
    rm -rf "$work"
}
trap cleanup EXIT

kv_start_virtual_display
echo "test: booting a fresh Wine prefix on display $DISPLAY"
kv_boot_prefix
# Without a window manager, hiding or destroying a managed window costs 2 s.
kv_reg_add 'HKCU\Software\Wine\X11 Driver' Managed REG_SZ N
"$KV_WINESERVER" -w

# One wineserver for the whole run, and Wine's services started before ctest:
# started from inside ctest they would hold its output pipe open forever.
"$KV_WINESERVER" -p </dev/null >/dev/null 2>&1
kv_wine wineboot >/dev/null 2>&1
# The desktop's process (explorer.exe /desktop) ends a second after the last
# process of the session; the next one to start it hands it its own output,
# so ctest would count that test as running until the whole run ends (it was
# always the first suite, taking the run's full length). A waiting cmd.exe
# keeps the session, and the desktop, alive through the run, and the desktop
# is started here with no output of ctest's.
mkfifo "$work/keep-session"
"$KV_WINE" cmd.exe <"$work/keep-session" >/dev/null 2>&1 &
exec 9>"$work/keep-session"
kv_wine rundll32.exe user32.dll,GetDesktopWindow >/dev/null 2>&1

cd "$build_root/x64"
# Suites that share the prefix carry a resource lock and run one at a time;
# the others may run beside them.
ctest --output-on-failure --parallel "$(nproc)" ${KV_CTEST_ARGS:-}

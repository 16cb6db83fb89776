#!/usr/bin/env bash
# Cross-builds the Windows DLL and its tests (build-windows/) and runs them under Wine: one fresh
# Wine prefix for the whole run, one persistent wineserver, a virtual X server for the editor's
# window, and a small program keeping Wine's desktop alive (without it every test process that
# loads user32 waits ~10 s for the desktop). Called by scripts/test.sh; usable alone.
#   scripts/test-windows.sh [extra ctest arguments...]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-windows"
"$root/scripts/build.sh" windows

work="$(mktemp -d)"
# winedbg disabled: a test that crashes then ends at once with a failing exit code (Wine prints
# the fault and its address) instead of waiting in the debugger's crash dialog on our X server
# until the test's timeout. With winedbg in automatic mode and no dialog the process would end
# fast too, but with exit code 0, which ctest would count as a pass.
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
xvfb_pid="" keeper_pid=""
cleanup() {
    [[ -n "$keeper_pid" ]] && kill "$keeper_pid" 2>/dev/null || true
    wineserver -k 2>/dev/null || true
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A display of our own (Xvfb picks a free number and writes it to fd 3): Wine's desktop and the
# editor's window need an X server.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [[ -s "$work/display" ]] && break; sleep 0.1; done
[[ -s "$work/display" ]] || { echo "test-windows: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

mkdir -p "$WINEPREFIX"
# A persistent server, and Wine's services started with nothing attached: a first Wine process
# writing into a pipe would otherwise leave the services holding that pipe open for good.
wineserver -p
wineboot -i </dev/null >/dev/null 2>&1
wine "$build/orv_wine_desktop_keeper.exe" </dev/null >/dev/null 2>&1 &
keeper_pid=$!

ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 300 -L wine "$@"

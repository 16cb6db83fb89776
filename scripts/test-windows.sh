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
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
xvfb_pid="" keeper_pid=""
cleanup() {
    [[ -n "$keeper_pid" ]] && kill "$keeper_pid" 2>/dev/null || true
    wineserver -k 2>/dev/null || true
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A display of our own: Wine's desktop and the editor's window need an X server.
for n in $(seq 90 140); do
    [[ -e "/tmp/.X11-unix/X$n" || -e "/tmp/.X$n-lock" ]] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do [[ -e "/tmp/.X11-unix/X$n" ]] && break; sleep 0.1; done
    if kill -0 "$xvfb_pid" 2>/dev/null && [[ -e "/tmp/.X11-unix/X$n" ]]; then
        export DISPLAY=":$n"
        break
    fi
    xvfb_pid=""
done
[[ -n "${DISPLAY:-}" ]] || { echo "test-windows: no X server could be started" >&2; exit 1; }

mkdir -p "$WINEPREFIX"
# A persistent server, and Wine's services started with nothing attached: a first Wine process
# writing into a pipe would otherwise leave the services holding that pipe open for good.
wineserver -p
wineboot -i </dev/null >/dev/null 2>&1
wine "$build/orv_wine_desktop_keeper.exe" </dev/null >/dev/null 2>&1 &
keeper_pid=$!

ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 300 -L wine "$@"

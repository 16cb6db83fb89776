#!/usr/bin/env bash
# Runs the Windows installer silently under Wine in a fresh prefix, as an unattended install on a
# new machine: the DLL must land in the common VST2 folder with an uninstaller registered, and the
# silent uninstall must leave the disk and the registry as they were. A second round installs into
# a folder that already holds another plug-in, which the uninstall must leave alone.
#   check_windows_installer.sh SETUP.exe DLL
set -uo pipefail
setup="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
dll="$2"
tmp="$(mktemp -d)"
export WINEPREFIX="$tmp/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
trap 'wineserver -k 2>/dev/null; rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

# Each program runs to its end together with what it starts (an NSIS uninstaller finishes in a
# copy of itself in the temporary folder): wineserver -w waits for all of them.
wine_run() {
    timeout 120 wine "$@" </dev/null >>"$tmp/wine.log" 2>&1
    local rc=$?
    timeout 60 wineserver -w
    return $rc
}
c="$WINEPREFIX/drive_c"
files() { (cd "$c" && find . -path ./windows -prune -o -path '*/Temp' -prune -o -print | LC_ALL=C sort); }
key='Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\OrvSympharon]'
registered() { grep -q "^\[$key" "$WINEPREFIX/system.reg"; }
uninstall_string() { sed -n "/^\[$key/,/^\$/p" "$WINEPREFIX/system.reg" | sed -n 's/^"QuietUninstallString"="\(.*\)"$/\1/p'; }

mkdir -p "$WINEPREFIX"
wine_run wineboot -i || { echo "FAIL wineboot: $(tail -3 "$tmp/wine.log")"; exit 1; }

# Round 1: the default folder, created by the installer and removed by the uninstaller.
files >"$tmp/before"
wine_run "$setup" /S || fail "silent install exited with $?"
vst2="$c/Program Files/Common Files/VST2"
cmp -s "$dll" "$vst2/OrvSympharon.dll" || fail "OrvSympharon.dll is not in the common VST2 folder"
for f in README.txt LICENSE.txt LiberationSans-OFL.txt CHANGELOG.txt Uninstall.exe; do
    [[ -f "$c/Program Files/Orv Sympharon/$f" ]] || fail "Program Files/Orv Sympharon/$f missing"
done
registered || fail "no Add/Remove Programs entry"
quiet="$(uninstall_string)"
[[ "$quiet" == '\"C:\\Program Files\\Orv Sympharon\\Uninstall.exe\" /S' ]] ||
    fail "QuietUninstallString is '$quiet'"
wine_run "C:\\Program Files\\Orv Sympharon\\Uninstall.exe" /S || fail "silent uninstall exited with $?"
files >"$tmp/after"
diff "$tmp/before" "$tmp/after" >"$tmp/diff" || fail "the uninstall left the disk changed: $(cat "$tmp/diff")"
registered && fail "the Add/Remove Programs entry is still there"

# Round 2: a folder the user picked that holds another plug-in already.
mkdir -p "$c/Plugins/VST"
echo "another plug-in" >"$c/Plugins/VST/Other.dll"
files >"$tmp/before"
wine_run "$setup" /S "/D=C:\\Plugins\\VST" || fail "silent install into a chosen folder exited with $?"
cmp -s "$dll" "$c/Plugins/VST/OrvSympharon.dll" || fail "OrvSympharon.dll is not in the chosen folder"
[[ -e "$vst2" ]] && fail "the install into a chosen folder made the common VST2 folder"
wine_run "C:\\Program Files\\Orv Sympharon\\Uninstall.exe" /S || fail "second silent uninstall exited with $?"
files >"$tmp/after"
diff "$tmp/before" "$tmp/after" >"$tmp/diff" || fail "the second uninstall left the disk changed: $(cat "$tmp/diff")"

echo "$(basename "$setup"): $(stat -c %s "$setup") bytes, $failures failed"
[[ $failures -eq 0 ]]

#!/usr/bin/env bash
# Runs the Windows installer silently under Wine in a fresh prefix, as an unattended install on a
# new machine: the DLL must land in the common VST2 folder (and OrvSympharon.clap, built beside
# it, in the common CLAP folder, and the VST3 bundle built beside it in the common VST3 folder)
# with an uninstaller registered and load
# from there as a host loads it, and the silent uninstall must have removed the plug-in and its
# entry when it returns, and leave the disk as it was once its clean-up has ended (also when an
# install follows at once, which must stay whole). A second round
# installs into a folder that already holds another plug-in, which the uninstall must leave alone;
# a third holds the installed DLL open, as a host that has loaded it does: then neither an update
# nor the uninstall may report success, and the uninstall must remove nothing.
#   check_windows_installer.sh SETUP.exe DLL LOADER.exe
#   check_windows_installer.sh --make VERSION DLL LOADER.exe   make the packages from DLL first
# LOADER is orv_render_fixed.exe of the Windows build: it loads a plug-in through VSTPluginMain and
# renders through it.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
tmp="$(mktemp -d)"
# winedbg disabled: a crash ends the program with a failing exit code instead of a dialog.
export WINEPREFIX="$tmp/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
unset DISPLAY
trap 'wineserver -k 2>/dev/null; rm -rf "$tmp"' EXIT
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
if [[ "${1:-}" == --make ]]; then
    (($# == 4)) || { echo "usage: check_windows_installer.sh --make VERSION DLL LOADER.exe" >&2; exit 2; }
    # All of its output is read before the first line is taken: a reader that stops early would
    # kill the script with SIGPIPE as it prints the zip's path.
    packages="$(bash "$root/scripts/make-windows-packages.sh" "$3" "$2" "$tmp/out")" ||
        { echo "FAIL making the packages"; exit 1; }
    setup="${packages%%$'\n'*}"
    zip="${packages##*$'\n'}"
    shift 2
else
    (($# == 3)) || { echo "usage: check_windows_installer.sh SETUP.exe DLL LOADER.exe" >&2; exit 2; }
    setup="$(absolute "$1")"
    shift
fi
dll="$(absolute "$1")" loader="$(absolute "$2")"
clap="$(dirname "$dll")/OrvSympharon.clap"
# The VST3 bundle built beside the DLL.
vst3dll="$(dirname "$dll")/OrvSympharon.vst3/Contents/x86_64-win/OrvSympharon.vst3"
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

if [[ -n "${zip:-}" ]]; then
    # The zip holds both plug-ins, as built, beside the documents.
    /usr/bin/python3 - "$zip" "$dll" "$clap" <<'PY' || fail "the zip does not hold the built plug-ins"
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
names = {n.split("/", 1)[1]: n for n in z.namelist() if "/" in n}
for built in sys.argv[2:]:
    name = built.rsplit("/", 1)[1]
    assert name in names and z.read(names[name]) == open(built, "rb").read(), name
PY
fi

# Runs a program and returns its exit code as soon as it ends (Wine's services may run on).
wine_now() { timeout 120 wine "$@" </dev/null >>"$tmp/wine.log" 2>&1; }
# Waits until every Wine program has ended and the registry is written to disk.
settle() { timeout 60 wineserver -w; }
c="$WINEPREFIX/drive_c"
files() { (cd "$c" && find . -path ./windows -prune -o -path '*/Temp' -prune -o -print | LC_ALL=C sort); }
key='Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\OrvSympharon]'
registered() { grep -q "^\[$key" "$WINEPREFIX/system.reg"; }
registered_now() { wine_now reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvSympharon'; }
uninstall_string() { sed -n "/^\[$key/,/^\$/p" "$WINEPREFIX/system.reg" | sed -n 's/^"QuietUninstallString"="\(.*\)"$/\1/p'; }
docs="$c/Program Files/Orv Sympharon"
uninstaller='C:\Program Files\Orv Sympharon\Uninstall.exe'
vst2="$c/Program Files/Common Files/VST2"
clapdir="$c/Program Files/Common Files/CLAP"
vst3="$c/Program Files/Common Files/VST3"

mkdir -p "$WINEPREFIX"
wine_now wineboot -i && settle || { echo "FAIL wineboot: $(tail -3 "$tmp/wine.log")"; exit 1; }

# Round 1: the default folder, created by the installer and removed by the uninstaller.
files >"$tmp/before"
wine_now "$setup" /S || fail "silent install exited with $?"
settle
cmp -s "$dll" "$vst2/OrvSympharon.dll" || fail "OrvSympharon.dll is not in the common VST2 folder"
cmp -s "$clap" "$clapdir/OrvSympharon.clap" || fail "OrvSympharon.clap is not in the common CLAP folder"
cmp -s "$vst3dll" "$vst3/OrvSympharon.vst3/Contents/x86_64-win/OrvSympharon.vst3" ||
    fail "the VST3 bundle is not in the common VST3 folder"
for f in README.txt LICENSE.txt LiberationSans-OFL.txt CHANGELOG.txt Uninstall.exe; do
    [[ -f "$docs/$f" ]] || fail "Program Files/Orv Sympharon/$f missing"
done
registered || fail "no Add/Remove Programs entry"
quiet="$(uninstall_string)"
[[ "$quiet" == '\"C:\\Program Files\\Orv Sympharon\\Uninstall.exe\" /S' ]] ||
    fail "QuietUninstallString is '$quiet'"
(cd "$tmp" && wine_now "$loader" 'C:\Program Files\Common Files\VST2\OrvSympharon.dll' render.raw) ||
    fail "the installed DLL does not load and render: $(tail -2 "$tmp/wine.log")"
(($(stat -c %s "$tmp/render.raw" 2>/dev/null || echo 0) > 1000000)) || fail "the installed DLL rendered too little"
wine_now "$uninstaller" /S || fail "silent uninstall exited with $?"
# What a script sees as soon as the uninstaller returns.
[[ -e "$vst2" ]] && fail "the common VST2 folder is still there when the uninstaller returns"
[[ -e "$clapdir" ]] && fail "the common CLAP folder is still there when the uninstaller returns"
[[ -e "$vst3" ]] && fail "the common VST3 folder is still there when the uninstaller returns"
[[ -e "$docs/README.txt" ]] && fail "the documents are still there when the uninstaller returns"
registered_now && fail "the Add/Remove Programs entry is still there when the uninstaller returns"
# An install at once after it, while the uninstaller's clean-up may still run, keeps its files.
wine_now "$setup" /S || fail "silent install right after the uninstall exited with $?"
settle
[[ -f "$docs/Uninstall.exe" && -f "$vst2/OrvSympharon.dll" ]] && registered ||
    fail "an install right after the uninstall is not whole"
wine_now "$uninstaller" /S || fail "silent uninstall exited with $?"
settle
files >"$tmp/after"
diff "$tmp/before" "$tmp/after" >"$tmp/diff" || fail "the uninstall left the disk changed: $(cat "$tmp/diff")"
registered && fail "the Add/Remove Programs entry is still there"

# Round 2: a folder the user picked that holds another plug-in already.
mkdir -p "$c/Plugins/VST"
echo "another plug-in" >"$c/Plugins/VST/Other.dll"
files >"$tmp/before"
wine_now "$setup" /S "/D=C:\\Plugins\\VST" || fail "silent install into a chosen folder exited with $?"
settle
cmp -s "$dll" "$c/Plugins/VST/OrvSympharon.dll" || fail "OrvSympharon.dll is not in the chosen folder"
cmp -s "$clap" "$clapdir/OrvSympharon.clap" || fail "OrvSympharon.clap is not in the common CLAP folder"
[[ -e "$vst2" ]] && fail "the install into a chosen folder made the common VST2 folder"
[[ -f "$vst3/OrvSympharon.vst3/Contents/x86_64-win/OrvSympharon.vst3" ]] ||
    fail "the install into a chosen folder did not put the VST3 bundle into the common VST3 folder"
wine_now "$uninstaller" /S || fail "second silent uninstall exited with $?"
settle
files >"$tmp/after"
diff "$tmp/before" "$tmp/after" >"$tmp/diff" || fail "the second uninstall left the disk changed: $(cat "$tmp/diff")"

# Round 3: the installed DLL held open (without sharing its deletion) by another program.
cat >"$tmp/hold.nsi" <<'EOF'
Unicode true
Target amd64-unicode
OutFile hold.exe
SilentInstall silent
RequestExecutionLevel user
!include LogicLib.nsh
Section
    FileOpen $0 "$EXEDIR\OrvSympharon.dll" r
    FileOpen $1 "$EXEDIR\held" w
    FileClose $1
    ${DoUntil} ${FileExists} "$EXEDIR\release"
        Sleep 50
    ${Loop}
    FileClose $0
SectionEnd
EOF
(cd "$tmp" && makensis -V1 hold.nsi >/dev/null) || fail "makensis hold.nsi"
wine_now "$setup" /S || fail "third silent install exited with $?"
settle
files >"$tmp/installed"
cp "$tmp/hold.exe" "$vst2/hold.exe"
wine_now 'C:\Program Files\Common Files\VST2\hold.exe' &
holder=$!
for _ in $(seq 200); do [[ -e "$vst2/held" ]] && break; sleep 0.05; done
[[ -e "$vst2/held" ]] || fail "the DLL could not be held open"
wine_now "$setup" /S && fail "an update over the DLL in use reported success"
wine_now "$uninstaller" /S && fail "the uninstall with the DLL in use reported success"
registered_now || fail "the uninstall with the DLL in use removed the Add/Remove Programs entry"
touch "$vst2/release"
wait "$holder"
rm -f "$vst2/hold.exe" "$vst2/held" "$vst2/release"
settle
files >"$tmp/after"
diff "$tmp/installed" "$tmp/after" >"$tmp/diff" || fail "the uninstall with the DLL in use changed the disk: $(cat "$tmp/diff")"
wine_now "$uninstaller" /S || fail "the uninstall once the DLL is free exited with $?"
[[ -e "$vst2" ]] && fail "the uninstall once the DLL is free left the common VST2 folder"

echo "$(basename "$setup"): $(stat -c %s "$setup") bytes, $failures failed"
[[ $failures -eq 0 ]]

#!/usr/bin/env bash
# Makes the Windows packages from a built OrvSympharon.dll and the OrvSympharon.clap and the VST3
# bundle OrvSympharon.vst3 built beside it, and prints their paths:
#   OrvSympharon-<version>-win64-setup.exe  the installer (NSIS)
#   OrvSympharon-<version>-win64.zip        the DLL, the VST3 bundle, the CLAP plug-in and a short
#                                           read-me, for placing them by hand
#   scripts/make-windows-packages.sh DLL VERSION OUT_DIR
# scripts/package.sh calls it with the version orv-host reports; the package tests call it too.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
(($# == 3)) || { echo "usage: make-windows-packages.sh DLL VERSION OUT_DIR" >&2; exit 2; }
dll="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
version="$2"
[[ -f "$dll" ]] || { echo "make-windows-packages: $1 does not exist" >&2; exit 1; }
clap="$(dirname "$dll")/OrvSympharon.clap"
[[ -f "$clap" ]] || { echo "make-windows-packages: $clap does not exist" >&2; exit 1; }
bundle="$(dirname "$dll")/OrvSympharon.vst3"
vst3dll="$bundle/Contents/x86_64-win/OrvSympharon.vst3"
[[ -f "$vst3dll" ]] || { echo "make-windows-packages: no VST3 bundle at $bundle" >&2; exit 1; }
mkdir -p "$3"
out="$(cd "$3" && pwd)"
name="OrvSympharon-$version-win64"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# The documents as Windows text files (CRLF), in one folder for the installer and the zip.
docs="$work/$name"
mkdir -p "$docs"
crlf() { sed -e 's/\r$//' -e 's/$/\r/' "$1" >"$2"; }
sed "s/@VERSION@/$version/g" "$root/packaging/windows/README.txt" >"$work/README.txt"
crlf "$work/README.txt" "$docs/README.txt"
crlf "$root/LICENSE" "$docs/LICENSE.txt"
crlf "$root/packaging/LiberationSans-OFL.txt" "$docs/LiberationSans-OFL.txt"
crlf "$root/CHANGELOG.md" "$docs/CHANGELOG.txt"

# The uninstaller is a program of its own, which the installer carries.
nsis() { makensis -V2 -NOCD -DVERSION="$version" "$@" >"$work/makensis.log" || { cat "$work/makensis.log" >&2; exit 1; }; }
nsis -DOUTFILE="$work/Uninstall.exe" "$root/packaging/windows/Uninstall.nsi"
setup="$out/$name-setup.exe"
nsis -DDLL="$dll" -DCLAP="$clap" -DVST3DLL="$vst3dll" -DDOCS="$docs" -DUNINSTALLER="$work/Uninstall.exe" -DOUTFILE="$setup" \
    "$root/packaging/windows/OrvSympharon.nsi"

# The zip: one folder holding the plug-ins and the documents, with the last commit's file times.
cp "$dll" "$docs/OrvSympharon.dll"
cp "$clap" "$docs/OrvSympharon.clap"
mkdir -p "$docs/OrvSympharon.vst3/Contents/x86_64-win"
cp "$vst3dll" "$docs/OrvSympharon.vst3/Contents/x86_64-win/OrvSympharon.vst3"
stamp="$(git -C "$root" log -1 --format=%cd --date=format:%Y%m%d%H%M.%S 2>/dev/null || date +%Y%m%d%H%M.%S)"
find "$docs" -exec touch -t "$stamp" {} +
zip="$out/$name.zip"
rm -f "$zip"
(cd "$work" && find "$name" | LC_ALL=C sort | zip -q -X "$zip" -@)
echo "$setup"
echo "$zip"

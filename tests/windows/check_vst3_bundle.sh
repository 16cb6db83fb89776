#!/bin/sh
# The Windows VST3 bundle: its library sits at Contents/x86_64-win/ under the bundle's own name,
# exports the factory and the module entry and exit and nothing else, imports only DLLs that
# every Windows has (no MinGW runtime DLL), and carries version information naming the VST3
# plug-in and the release.
#   check_vst3_bundle.sh BUNDLE VERSION
bundle="$1" version="$2"
dll="$bundle/Contents/x86_64-win/$(basename "$bundle")"
[ -f "$dll" ] || { echo "no library at $dll"; exit 1; }
table=$(x86_64-w64-mingw32-objdump -p "$dll") || exit 1
names=$(printf '%s\n' "$table" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
        sed -n 's/^\s*\[ *[0-9]*\] \([A-Za-z_].*\)/\1/p' | LC_ALL=C sort | tr '\n' ' ')
[ "$names" = "ExitDll GetPluginFactory InitDll " ] || { echo "exports: $names"; exit 1; }
imports=$(printf '%s\n' "$table" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
for dll_name in $imports; do
    case "$dll_name" in
        kernel32.dll|user32.dll|gdi32.dll|gdiplus.dll|advapi32.dll|ole32.dll|comdlg32.dll|shlwapi.dll|shell32.dll|msvcrt.dll) ;;
        *) echo "imports $dll_name (all: $imports)"; exit 1 ;;
    esac
done
texts=$(strings -el "$dll")
for want in "Orv Sympharon - string resonator plug-in (VST3)" "OrvSympharon.vst3" "$version.0"; do
    printf '%s\n' "$texts" | grep -qxF -- "$want" || { echo "no version information '$want'"; exit 1; }
done
echo "exports: $names imports: $imports"

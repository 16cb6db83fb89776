#!/bin/sh
# The DLL exports VSTPluginMain and main at one address and nothing else (or, given as further
# arguments, exactly those names), and imports only DLLs that every Windows has (no MinGW runtime
# DLL).
#   check_dll.sh DLL [EXPORT...]
dll="$1"
shift
expected="VSTPluginMain main "
[ $# -gt 0 ] && expected="$(printf '%s\n' "$@" | LC_ALL=C sort | tr '\n' ' ')"
table=$(x86_64-w64-mingw32-objdump -p "$dll") || exit 1
names=$(printf '%s\n' "$table" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
        sed -n 's/^\s*\[ *[0-9]*\] \([A-Za-z_].*\)/\1/p' | LC_ALL=C sort | tr '\n' ' ')
[ "$names" = "$expected" ] || { echo "exports: $names (expected: $expected)"; exit 1; }
rvas=$(printf '%s\n' "$table" | sed -n 's/.*\] \([0-9a-f]*\) Export RVA$/\1/p' | sort -u)
[ "$(printf '%s\n' "$rvas" | wc -l)" -eq 1 ] || { echo "entry addresses: $rvas"; exit 1; }
imports=$(printf '%s\n' "$table" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
for dll_name in $imports; do
    case "$dll_name" in
        kernel32.dll|user32.dll|gdi32.dll|gdiplus.dll|advapi32.dll|ole32.dll|comdlg32.dll|shlwapi.dll|shell32.dll|msvcrt.dll) ;;
        *) echo "imports $dll_name (all: $imports)"; exit 1 ;;
    esac
done
echo "exports: $names imports: $imports"

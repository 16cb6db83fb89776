#!/bin/sh
# The Windows DLL's audio equals the Linux plug-in's, byte for byte: both builds of
# orv_render_fixed render the same fixed signal through their own platform's plug-in.
#   compare_render.sh NATIVE_RENDER NATIVE_PLUGIN WINE WINDOWS_RENDER
# Exits 77 (skipped) when the Linux build is not there.
native_render="$1" native_plugin="$2" wine="$3" windows_render="$4"
if [ ! -x "$native_render" ] || [ ! -f "$native_plugin" ]; then
    echo "no Linux build to compare with ($native_render, $native_plugin): build it first"
    exit 77
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$native_render" "$native_plugin" "$work/linux.raw" || exit 1
# The Windows program loads the DLL beside itself and writes into its current folder.
(cd "$work" && "$wine" "$windows_render" OrvSympharon.dll windows.raw) || exit 1
size=$(wc -c < "$work/linux.raw")
[ "$size" -gt 1000000 ] || { echo "only $size bytes rendered"; exit 1; }
if cmp "$work/linux.raw" "$work/windows.raw"; then
    echo "identical: $size bytes"
else
    exit 1
fi

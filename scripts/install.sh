#!/usr/bin/env bash
# Installs the built plug-in for the current user alone, without root, where Linux hosts look:
#   build/OrvSympharon.so     -> ~/.vst/OrvSympharon.so
#   build/OrvSympharon.lv2/   -> ~/.lv2/OrvSympharon.lv2/   (when the LV2 bundle is built)
#   scripts/install.sh [BUILD_DIR]              install (BUILD_DIR defaults to build/)
#   scripts/install.sh --uninstall              remove exactly those two again
# New files replace old ones by renaming, never by writing into them, so a host that has the old
# plug-in loaded keeps running. The remembered settings in ~/.config/Orvatone/ and the folders
# ~/.vst and ~/.lv2 stay.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
[[ -n "${HOME:-}" ]] || { echo "install: HOME is not set" >&2; exit 1; }
vst="$HOME/.vst/OrvSympharon.so"
lv2="$HOME/.lv2/OrvSympharon.lv2"

if [[ "${1:-}" == "--uninstall" ]]; then
    (($# == 1)) || { echo "usage: install.sh --uninstall" >&2; exit 2; }
    for target in "$vst" "$lv2"; do
        if [[ -e "$target" || -L "$target" ]]; then
            rm -rf -- "$target"
            echo "removed $target"
        fi
    done
    exit 0
fi
[[ "${1:-}" != -* ]] || { echo "usage: install.sh [BUILD_DIR] | --uninstall" >&2; exit 2; }
(($# <= 1)) || { echo "usage: install.sh [BUILD_DIR] | --uninstall" >&2; exit 2; }
build="${1:-$root/build}"
[[ -f "$build/OrvSympharon.so" ]] ||
    { echo "install: $build/OrvSympharon.so is not built (run: bash scripts/build.sh release OrvSympharon OrvSympharon_lv2)" >&2; exit 1; }

mkdir -p "$HOME/.vst"
cp "$build/OrvSympharon.so" "$vst.new"
chmod 0644 "$vst.new"
mv -f "$vst.new" "$vst"
echo "installed $vst"

if [[ -d "$build/OrvSympharon.lv2" ]]; then
    mkdir -p "$HOME/.lv2"
    rm -rf -- "$lv2.new" "$lv2.old"
    cp -R "$build/OrvSympharon.lv2" "$lv2.new"
    [[ -e "$lv2" ]] && mv "$lv2" "$lv2.old"
    mv "$lv2.new" "$lv2"
    rm -rf -- "$lv2.old"
    echo "installed $lv2"
else
    echo "install: no LV2 bundle in $build (bash scripts/build.sh release OrvSympharon_lv2 builds it)"
fi
echo "Rescan the plug-ins in your host; the effect appears as \"Orv Sympharon\"."

#!/usr/bin/env bash
# Installs the built plug-in for the current user alone, without root, where Linux hosts look:
#   build/OrvSympharon.so     -> ~/.vst/OrvSympharon.so
#   build/OrvSympharon.lv2/   -> ~/.lv2/OrvSympharon.lv2/   (when the LV2 bundle is built)
#   build/OrvSympharon.clap   -> ~/.clap/OrvSympharon.clap  (when the CLAP plug-in is built)
#   scripts/install.sh [BUILD_DIR]              install (BUILD_DIR defaults to build/)
#   scripts/install.sh --uninstall              remove exactly those again
# New files replace old ones by renaming, never by writing into them, so a host that has the old
# plug-in loaded keeps running. The remembered settings in ~/.config/Orvatone/ and the folders
# ~/.vst, ~/.lv2 and ~/.clap stay.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
[[ -n "${HOME:-}" ]] || { echo "install: HOME is not set" >&2; exit 1; }
vst="$HOME/.vst/OrvSympharon.so"
lv2="$HOME/.lv2/OrvSympharon.lv2"
clap="$HOME/.clap/OrvSympharon.clap"

if [[ "${1:-}" == "--uninstall" ]]; then
    (($# == 1)) || { echo "usage: install.sh --uninstall" >&2; exit 2; }
    for target in "$vst" "$lv2" "$clap"; do
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

# The new copies are staged under names made fresh for this run, so no file or folder of the
# user's (say a backup named OrvSympharon.lv2.old) is ever written over or removed.
staged_vst="" stage_lv2="" staged_clap=""
cleanup() {
    [[ -z "$staged_vst" ]] || rm -f -- "$staged_vst"
    [[ -z "$staged_clap" ]] || rm -f -- "$staged_clap"
    if [[ -n "$stage_lv2" ]]; then
        # Interrupted between the two renames: put the old bundle back.
        if [[ -e "$stage_lv2/old" && ! -e "$lv2" && ! -L "$lv2" ]]; then mv "$stage_lv2/old" "$lv2"; fi
        rm -rf -- "$stage_lv2"
    fi
}
trap cleanup EXIT

mkdir -p "$HOME/.vst"
staged_vst="$(mktemp "$HOME/.vst/.OrvSympharon.so.XXXXXX")"
cp "$build/OrvSympharon.so" "$staged_vst"
chmod 0644 "$staged_vst"
mv -f "$staged_vst" "$vst"
staged_vst=""
echo "installed $vst"

if [[ -d "$build/OrvSympharon.lv2" ]]; then
    mkdir -p "$HOME/.lv2"
    stage_lv2="$(mktemp -d "$HOME/.lv2/.OrvSympharon.lv2.XXXXXX")"
    cp -R "$build/OrvSympharon.lv2" "$stage_lv2/new"
    if [[ -e "$lv2" || -L "$lv2" ]]; then mv "$lv2" "$stage_lv2/old"; fi
    mv "$stage_lv2/new" "$lv2"
    echo "installed $lv2"
else
    echo "install: no LV2 bundle in $build (bash scripts/build.sh release OrvSympharon_lv2 builds it)"
fi
if [[ -f "$build/OrvSympharon.clap" ]]; then
    mkdir -p "$HOME/.clap"
    staged_clap="$(mktemp "$HOME/.clap/.OrvSympharon.clap.XXXXXX")"
    cp "$build/OrvSympharon.clap" "$staged_clap"
    chmod 0644 "$staged_clap"
    mv -f "$staged_clap" "$clap"
    staged_clap=""
    echo "installed $clap"
else
    echo "install: no CLAP plug-in in $build (bash scripts/build.sh release OrvSympharonClap builds it)"
fi
echo "Rescan the plug-ins in your host; the effect appears as \"Orv Sympharon\"."

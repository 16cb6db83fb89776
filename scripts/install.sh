#!/usr/bin/env bash
# Installs the built plug-in for the current user alone, without root, where Linux hosts look:
#   build/OrvSympharon.so     -> ~/.vst/OrvSympharon.so
#   build/OrvSympharon.lv2/   -> ~/.lv2/OrvSympharon.lv2/   (when the LV2 bundle is built)
#   build/OrvSympharon.vst3/  -> ~/.vst3/OrvSympharon.vst3/ (when the VST3 bundle is built)
#   build/OrvSympharon.clap   -> ~/.clap/OrvSympharon.clap  (when the CLAP plug-in is built)
#   scripts/install.sh [BUILD_DIR]              install (BUILD_DIR defaults to build/)
#   scripts/install.sh --uninstall              remove exactly those again
# New files replace old ones by renaming, never by writing into them, so a host that has the old
# plug-in loaded keeps running. The remembered settings in ~/.config/Orvatone/ and the folders
# ~/.vst, ~/.lv2, ~/.vst3 and ~/.clap stay.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
[[ -n "${HOME:-}" ]] || { echo "install: HOME is not set" >&2; exit 1; }
vst="$HOME/.vst/OrvSympharon.so"
lv2="$HOME/.lv2/OrvSympharon.lv2"
vst3="$HOME/.vst3/OrvSympharon.vst3"
clap="$HOME/.clap/OrvSympharon.clap"

if [[ "${1:-}" == "--uninstall" ]]; then
    (($# == 1)) || { echo "usage: install.sh --uninstall" >&2; exit 2; }
    for target in "$vst" "$lv2" "$vst3" "$clap"; do
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
staged_vst="" staged_clap="" stage_bundle="" bundle_target=""
cleanup() {
    [[ -z "$staged_vst" ]] || rm -f -- "$staged_vst"
    [[ -z "$staged_clap" ]] || rm -f -- "$staged_clap"
    if [[ -n "$stage_bundle" ]]; then
        # Interrupted between the two renames: put the old bundle back.
        if [[ -e "$stage_bundle/old" && ! -e "$bundle_target" && ! -L "$bundle_target" ]]; then
            mv "$stage_bundle/old" "$bundle_target"
        fi
        rm -rf -- "$stage_bundle"
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

# install_bundle SOURCE_FOLDER TARGET_FOLDER: the new bundle is copied beside the target under a
# fresh name, then takes the old one's place with two renames.
install_bundle() {
    local folder
    folder="$(dirname "$2")"
    mkdir -p "$folder"
    bundle_target="$2"
    stage_bundle="$(mktemp -d "$folder/.$(basename "$2").XXXXXX")"
    cp -R "$1" "$stage_bundle/new"
    if [[ -e "$2" || -L "$2" ]]; then mv "$2" "$stage_bundle/old"; fi
    mv "$stage_bundle/new" "$2"
    rm -rf -- "$stage_bundle"
    stage_bundle=""
    echo "installed $2"
}

if [[ -d "$build/OrvSympharon.lv2" ]]; then
    install_bundle "$build/OrvSympharon.lv2" "$lv2"
else
    echo "install: no LV2 bundle in $build (bash scripts/build.sh release OrvSympharon_lv2 builds it)"
fi
if [[ -d "$build/OrvSympharon.vst3" ]]; then
    install_bundle "$build/OrvSympharon.vst3" "$vst3"
else
    echo "install: no VST3 bundle in $build (bash scripts/build.sh release OrvSympharon_vst3 builds it)"
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

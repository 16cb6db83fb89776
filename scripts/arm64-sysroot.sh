#!/usr/bin/env bash
# Makes build-arm64-sysroot/: the Debian 12 arm64 libraries and headers that the ARM64 build
# links against and that qemu-aarch64-static runs its programs with.
#   scripts/arm64-sysroot.sh
# The packages are fetched with apt in a configuration of its own (arm64 as its only
# architecture, its own package lists, cache and an empty status file, all in build-arm64-apt/),
# used only to download; each is unpacked with dpkg -x. Nothing is installed on this machine and
# its dpkg architectures stay as they are. Runs again only when the package list changed.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
sysroot="$root/build-arm64-sysroot"
aptdir="$root/build-arm64-apt"

# What the plug-in, the LV2 bundle, orv-host and the engine tests build against, and the C and
# C++ runtime they run with; the last line only lets the test folders configure. apt adds what
# these depend on.
packages=(
    libc6-dev libstdc++-12-dev
    libcairo2-dev libfreetype-dev libxcb1-dev libxkbcommon-dev libxkbcommon-x11-dev libxcb-xkb-dev
    lv2-dev libsndfile1-dev libgtest-dev
    libxcb-xtest0-dev liblilv-dev libgmock-dev
)

stamp="$sysroot/.packages"
if [[ -f "$stamp" && "$(cat "$stamp")" == "${packages[*]}" ]]; then
    exit 0
fi

mkdir -p "$aptdir"/{lists/partial,cache/archives/partial,state,preferences.d}
: >"$aptdir/status"
# The system's package sources, read for the arm64 architecture; nothing of the system's apt state.
apt_options=(
    -o APT::Architecture=arm64 -o APT::Architectures=arm64
    -o Dir::State="$aptdir/state" -o Dir::State::Lists="$aptdir/lists"
    -o Dir::State::status="$aptdir/status" -o Dir::Cache="$aptdir/cache"
    -o Dir::Etc::Preferences=/dev/null -o Dir::Etc::PreferencesParts="$aptdir/preferences.d"
    -o Debug::NoLocking=1 -o APT::Sandbox::User=root
)
echo "arm64-sysroot: fetching the arm64 package lists"
apt-get "${apt_options[@]}" update -qq
echo "arm64-sysroot: downloading ${packages[*]} and what they depend on"
apt-get "${apt_options[@]}" install -qq -y -d --no-install-recommends "${packages[@]}" >/dev/null

rm -rf "$sysroot"
mkdir -p "$sysroot"
count=0
for deb in "$aptdir"/cache/archives/*_arm64.deb "$aptdir"/cache/archives/*_all.deb; do
    [[ -e "$deb" ]] || continue
    dpkg -x "$deb" "$sysroot"
    count=$((count + 1))
done

# Absolute symbolic links (libfoo.so -> /lib/aarch64-linux-gnu/libfoo.so.1) point into this
# machine's root: make them relative, so that they resolve inside the sysroot.
while IFS= read -r link; do
    target="$(readlink "$link")"
    [[ "$target" == /* ]] || continue
    ln -sfn "$(realpath -m --relative-to="$(dirname "$link")" "$sysroot$target")" "$link"
done < <(find "$sysroot" -type l)

# A dpkg database of the unpacked packages (build-arm64-sysroot/.dpkg), read only by
# dpkg-shlibdeps (scripts/make-deb.sh) to find which package and version each library of the
# ARM64 build comes from. Its file lists name the files where they are: inside the sysroot.
admin="$sysroot/.dpkg"
mkdir -p "$admin/info" "$admin/updates"
: >"$admin/status"
echo 1 >"$admin/info/format" # file names of Multi-Arch: same packages carry the architecture
for deb in "$aptdir"/cache/archives/*.deb; do
    [[ -e "$deb" ]] || continue
    fields="$(dpkg-deb -f "$deb" Package Version Architecture Multi-Arch)"
    field() { sed -n "s/^$1: //p" <<<"$fields"; }
    package="$(field Package)"
    arch="$(field Architecture)"
    name="$package"
    if [[ "$(field Multi-Arch)" == same ]]; then name="$package:$arch"; fi
    printf 'Package: %s\nStatus: install ok installed\nArchitecture: %s\n' "$package" "$arch" >>"$admin/status"
    if [[ -n "$(field Multi-Arch)" ]]; then
        printf 'Multi-Arch: %s\n' "$(field Multi-Arch)" >>"$admin/status"
    fi
    printf 'Version: %s\nMaintainer: -\nDescription: unpacked for the ARM64 build\n\n' \
        "$(field Version)" >>"$admin/status"
    dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -e 's|^\./|/|' -e 's|/$||' | grep -v '^$' |
        sed "s|^|$sysroot|" >"$admin/info/$name.list"
    control="$(mktemp -d)"
    dpkg-deb -e "$deb" "$control"
    for f in symbols shlibs; do
        if [[ -f "$control/$f" ]]; then cp "$control/$f" "$admin/info/$name.$f"; fi
    done
    rm -rf "$control"
done

echo "${packages[*]}" >"$stamp"
echo "arm64-sysroot: $count packages unpacked into $sysroot"

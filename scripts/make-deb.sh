#!/usr/bin/env bash
# Makes the Debian package orv-sympharon_<version>_<arch>.deb from a build tree and prints its
# path. scripts/package.sh calls it on its own build; the package tests call it on theirs.
#   scripts/make-deb.sh BUILD_DIR OUT_DIR
# BUILD_DIR holds OrvSympharon.so, OrvSympharon.clap, orv-host, the LV2 bundle OrvSympharon.lv2/
# and the VST3 bundle OrvSympharon.vst3/. The version is the one orv-host reports, and CHANGELOG.md must have an
# entry for it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
(($# == 2)) || { echo "usage: make-deb.sh BUILD_DIR OUT_DIR" >&2; exit 2; }
build="$(cd "$1" && pwd)"
out="$2"
package=orv-sympharon
maintainer="Orv Sympharon developers <dev@orvatone.example>"

[[ -f "$build/orv-host" ]] || { echo "make-deb: $build/orv-host is not built" >&2; exit 1; }
# The package's architecture is the one the build is for: this machine's, or ARM64 from
# scripts/build.sh arm64, whose programs run under qemu with the sysroot's libraries, and whose
# dependencies dpkg-shlibdeps reads from the sysroot's own package database.
strip=strip
run=()
shlibdeps_options=()
case "$(od -An -j18 -N2 -tu2 "$build/orv-host" | tr -d ' ')" in
    62) arch=amd64 vst3arch=x86_64-linux ;;
    183)
        arch=arm64 vst3arch=aarch64-linux
        sysroot="${ORV_ARM64_SYSROOT:-$root/build-arm64-sysroot}"
        strip=aarch64-linux-gnu-strip
        run=(qemu-aarch64-static -L "$sysroot")
        shlibdeps_options=(--admindir="$sysroot/.dpkg" -l"$sysroot/usr/lib/aarch64-linux-gnu"
                           -l"$sysroot/lib/aarch64-linux-gnu")
        export DEB_HOST_ARCH=arm64
        ;;
    *) echo "make-deb: $build/orv-host is for neither x86-64 nor ARM64" >&2; exit 1 ;;
esac
[[ "$arch" == arm64 || "$arch" == "$(dpkg --print-architecture)" ]] ||
    { echo "make-deb: cannot package $arch programs on this machine" >&2; exit 1; }
for f in OrvSympharon.so OrvSympharon.clap OrvSympharon.lv2/manifest.ttl \
    "OrvSympharon.vst3/Contents/$vst3arch/OrvSympharon.so"; do
    [[ -f "$build/$f" ]] || { echo "make-deb: $build/$f is not built" >&2; exit 1; }
done
version="$("${run[@]}" "$build/orv-host" --version)"
version="${version#orv-host }"
grep -q "^## $version - " "$root/CHANGELOG.md" ||
    { echo "make-deb: CHANGELOG.md has no entry '## $version - YYYY-MM-DD'" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
stage="$work/root"
doc="$stage/usr/share/doc/$package"
umask 022
install -d "$stage/DEBIAN" "$stage/usr/bin" "$stage/usr/lib/lxvst" "$stage/usr/lib/lv2" \
    "$stage/usr/lib/clap" "$stage/usr/lib/vst3" "$stage/usr/share/man/man1" "$doc"

# Binaries without debugging symbols and build notes, as Debian ships them.
install -m 0755 "$build/orv-host" "$stage/usr/bin/orv-host"
"$strip" --remove-section=.comment --remove-section=.note "$stage/usr/bin/orv-host"
install -m 0644 "$build/OrvSympharon.so" "$stage/usr/lib/lxvst/OrvSympharon.so"
lv2="$stage/usr/lib/lv2/OrvSympharon.lv2"
cp -R "$build/OrvSympharon.lv2" "$lv2"
find "$lv2" -type d -exec chmod 0755 {} + && find "$lv2" -type f -exec chmod 0644 {} +
install -m 0644 "$build/OrvSympharon.clap" "$stage/usr/lib/clap/OrvSympharon.clap"
vst3="$stage/usr/lib/vst3/OrvSympharon.vst3"
cp -R "$build/OrvSympharon.vst3" "$vst3"
find "$vst3" -type d -exec chmod 0755 {} + && find "$vst3" -type f -exec chmod 0644 {} +
find "$stage/usr/lib" \( -name '*.so' -o -name '*.clap' \) -exec \
    "$strip" --strip-unneeded --remove-section=.comment --remove-section=.note {} +

# Documentation: the manual page, the README, the changelog and the copyright file. Files are
# compressed without names or times so that the same sources give the same package.
gzip -9n <"$root/docs/orv-host.1" >"$stage/usr/share/man/man1/orv-host.1.gz"
gzip -9n <"$root/README.md" >"$doc/README.md.gz"
/usr/bin/python3 "$root/packaging/debian/changelog.py" "$root/CHANGELOG.md" "$package" \
    "$maintainer" | gzip -9n >"$doc/changelog.gz"
# A licence text as a paragraph of the machine-readable copyright file: each line indented by
# one space, blank lines written as " .".
as_paragraph() { sed -e 's/^$/./' -e 's/^/ /' "$1"; }
{
    cat "$root/packaging/debian/copyright.head"
    printf '\nLicense: MIT\n'
    as_paragraph "$root/LICENSE"
    printf '\nLicense: OFL-1.1\n'
    as_paragraph "$root/packaging/LiberationSans-OFL.txt"
} >"$doc/copyright"
chmod 0644 "$stage/usr/share/man/man1/orv-host.1.gz" "$doc"/*

# The libraries the binaries link decide the dependencies. dpkg-shlibdeps reads them from a
# source tree's debian/control, so it runs in a stand-in one.
mkdir -p "$work/src/debian"
printf 'Source: %s\n\nPackage: %s\nArchitecture: any\n' "$package" "$package" >"$work/src/debian/control"
# Every ELF file of the package: the programs and all libraries, the bundle's included.
binaries=()
while IFS= read -r -d '' f; do
    if [[ "$(head -c 4 "$f" | od -An -c | tr -d ' ')" == '177ELF' ]]; then binaries+=("$f"); fi
done < <(find "$stage/usr" -type f -print0)
depends="$(cd "$work/src" && dpkg-shlibdeps "${shlibdeps_options[@]}" -O --warnings=1 "${binaries[@]/#/-e}")"
depends="${depends#shlibs:Depends=}"

description="stereo string-resonator audio effect (VST 2.4, VST3, LV2 and CLAP)"
cat >"$stage/DEBIAN/control" <<EOF
Package: $package
Version: $version
Architecture: $arch
Maintainer: $maintainer
Installed-Size: $(du -sk "$stage/usr" | cut -f1)
Depends: $depends
Recommends: zenity | kdialog
Section: sound
Priority: optional
Description: $description
 Orv Sympharon excites twelve tuned, damped strings, one per semitone from
 A2, with the stereo input. They ring in sympathy with the pitches played
 into them, and their sound is mixed with the dry signal. Eight parameters,
 six programs, preset and bank files and an editor window; file dialogs use
 zenity or kdialog.
 .
 This package holds the VST 2.4 plug-in for Linux hosts in /usr/lib/lxvst,
 the VST3 bundle in /usr/lib/vst3, the LV2 bundle in /usr/lib/lv2, the CLAP
 plug-in in /usr/lib/clap, and orv-host, a command-line host that shows
 what a host sees and renders audio files through the plug-in.
EOF
(cd "$stage" && find usr -type f -print0 | sort -z | xargs -0 md5sum) >"$stage/DEBIAN/md5sums"
chmod 0644 "$stage/DEBIAN/control" "$stage/DEBIAN/md5sums"

# File times are clamped to the last commit's, so a rebuild of the same sources is identical.
if [[ -z "${SOURCE_DATE_EPOCH:-}" ]]; then
    SOURCE_DATE_EPOCH="$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)"
fi
export SOURCE_DATE_EPOCH
mkdir -p "$out"
deb="$(cd "$out" && pwd)/${package}_${version}_${arch}.deb"
dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" >/dev/null
echo "$deb"

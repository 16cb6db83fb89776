#!/usr/bin/env bash
# Checks the Debian package as a user's system meets it: its name and control fields, the files
# it installs and where, what lintian reports, that the orv-host it holds, unpacked, finds and
# loads the plug-in it holds without being told where it is, that the LV2 tools find, list
# and run the unpacked LV2 bundle, that the unpacked CLAP plug-in exports only its entry
# (and, where ../shared/tools has clap-info, loads), and that the unpacked VST3 bundle renders as
# the VST 2.4 plug-in.
#   check_deb.sh PACKAGE.deb [RENDER_COMPARE]   check a package
#   check_deb.sh BUILD_DIR [RENDER_COMPARE]     make the package from a build tree
#                                               (scripts/make-deb.sh), then check it
# RENDER_COMPARE is the build tree's orv_vst3_render_compare (the VST3 bundle against the VST 2.4
# plug-in); without it that check is left out.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

deb="$1"
if [[ -d "$1" ]]; then
    deb="$(bash "$root/scripts/make-deb.sh" "$1" "$tmp/out")" || { echo "FAIL making the package"; exit 1; }
fi
[[ -f "$deb" ]] || { echo "FAIL no package at $deb"; exit 1; }

# Name and control fields.
field() { dpkg-deb --field "$deb" "$1"; }
version="$(field Version)"
# This machine's architecture, or ARM64 (scripts/build.sh arm64): its programs then run under
# qemu with the libraries of the ARM64 sysroot; only the host checks that would load an ARM64
# library into one of this machine's hosts (lv2apply, clap-info, the VST3 comparison) are left
# out.
arch="$(field Architecture)"
run=()
case "$arch" in
    amd64) machine=62 vst3arch=x86_64-linux ;;
    arm64) machine=183 vst3arch=aarch64-linux ;;
    *) fail "architecture $arch"; machine=none vst3arch=none ;;
esac
[[ "$arch" == "$(dpkg --print-architecture)" || "$arch" == arm64 ]] || fail "architecture $arch on this machine"
# The ARM64 programs run under qemu.
if [[ "$arch" != "$(dpkg --print-architecture)" ]]; then
    run=(qemu-aarch64-static -L "${ORV_ARM64_SYSROOT:-$root/build-arm64-sysroot}")
    nm=aarch64-linux-gnu-nm
fi
[[ "$(basename "$deb")" == "orv-sympharon_${version}_${arch}.deb" ]] || fail "file name $(basename "$deb") for version $version"
[[ "$version" =~ ^[0-9]+\.[0-9]\.[0-9]$ ]] || fail "version '$version'"
[[ "$(field Package)" == orv-sympharon && "$(field Architecture)" == "$arch" ]] || fail "package or architecture"
for name in Maintainer Installed-Size Section Priority Description; do
    [[ -n "$(field "$name")" ]] || fail "no $name field"
done
# The libraries the plug-in and orv-host link, as dependencies.
field Depends | sed 's/[,|]/\n/g' | awk '{print $1}' >"$tmp/depends"
for lib in libc6 libstdc++6 libcairo2 libxcb1 libsndfile1; do
    grep -qxF "$lib" "$tmp/depends" || fail "Depends lacks $lib: $(field Depends)"
done

# Files: these, in these places, owned by root, and nothing else.
dpkg-deb --contents "$deb" >"$tmp/contents"
awk '{ sub(/^\.\//, "", $6); print $1, $2, $6 }' "$tmp/contents" >"$tmp/files"
expect() { # mode, path
    grep -qx -- "$1 root/root $2" "$tmp/files" || fail "no $2 with mode $1 and owner root"
}
expect -rwxr-xr-x usr/bin/orv-host
expect -rw-r--r-- usr/lib/lxvst/OrvSympharon.so
expect -rw-r--r-- usr/lib/clap/OrvSympharon.clap
expect -rw-r--r-- usr/share/man/man1/orv-host.1.gz
for f in copyright changelog.gz README.md.gz; do expect -rw-r--r-- "usr/share/doc/orv-sympharon/$f"; done
for f in manifest.ttl OrvSympharon.ttl presets.ttl OrvSympharon_dsp.so OrvSympharon_ui.so; do
    expect -rw-r--r-- "usr/lib/lv2/OrvSympharon.lv2/$f"
done
expect -rw-r--r-- "usr/lib/vst3/OrvSympharon.vst3/Contents/$vst3arch/OrvSympharon.so"
unexpected="$(awk '$1 !~ /^d/ {print $3}' "$tmp/files" |
    grep -Ev '^usr/(bin/orv-host|lib/lxvst/OrvSympharon\.so|lib/clap/OrvSympharon\.clap|lib/lv2/OrvSympharon\.lv2/[^/]+|lib/vst3/OrvSympharon\.vst3/Contents/'"$vst3arch"'/OrvSympharon\.so|share/man/man1/orv-host\.1\.gz|share/doc/orv-sympharon/[^/]+)$')"
[[ -z "$unexpected" ]] || fail "files outside the expected places: $unexpected"

# Every program and library is built for the package's architecture (ELF machine field).
dpkg-deb -x "$deb" "$tmp/root"
while IFS= read -r -d '' f; do
    [[ "$(head -c 4 "$f" | od -An -c | tr -d ' ')" == '177ELF' ]] || continue
    [[ "$(od -An -j18 -N2 -tu2 "$f" | tr -d ' ')" == "$machine" ]] || fail "${f#"$tmp/root/"} is not built for $arch"
done < <(find "$tmp/root" -type f -print0)

# The copyright file names both licences, the changelog has an entry for this version.
copyright="$tmp/root/usr/share/doc/orv-sympharon/copyright"
for want in "^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" \
    "^License: MIT$" "^License: OFL-1.1$" "Reserved Font Name Liberation"; do
    grep -qs -- "$want" "$copyright" || fail "copyright lacks '$want'"
done
zcat "$tmp/root/usr/share/doc/orv-sympharon/changelog.gz" | sed -n 1p |
    grep -q "^orv-sympharon ($version) " || fail "changelog does not start with version $version"

# lintian: errors fail; warnings and notes (info) are shown.
lintian --fail-on error --display-info "$deb" >"$tmp/lintian" 2>&1
lintian_rc=$?
grep -v "running with root privileges" "$tmp/lintian" | sed 's/^/lintian: /' | grep . ||
    echo "lintian: no errors, warnings or notes (info)"
[[ $lintian_rc -eq 0 ]] || fail "lintian reports errors (exit $lintian_rc)"

# The unpacked orv-host, given no plug-in, loads the unpacked one (a clean home, so that no
# ~/.vst copy gets in the way), which reports this version and plays the demo.
HOME="$tmp/home" "${run[@]}" "$tmp/root/usr/bin/orv-host" info >"$tmp/info" 2>&1 || fail "unpacked orv-host info: $(cat "$tmp/info")"
grep -qx "Plug-in      $tmp/root/usr/lib/lxvst/OrvSympharon.so" "$tmp/info" || fail "orv-host did not load the packaged plug-in: $(head -1 "$tmp/info")"
IFS=. read -r major minor patch <<<"$version"
grep -qx "Vendor ver.  $((major * 1000 + minor * 100 + patch * 10))" "$tmp/info" || fail "the plug-in's vendor version is not $version"
[[ "$("${run[@]}" "$tmp/root/usr/bin/orv-host" --version)" == "orv-host $version" ]] || fail "orv-host --version is not $version"
HOME="$tmp/home" "${run[@]}" "$tmp/root/usr/bin/orv-host" demo "$tmp/demo.wav" >/dev/null 2>"$tmp/err" ||
    fail "the packaged plug-in does not play the demo: $(cat "$tmp/err")"

# The LV2 tools with only the unpacked bundle on their path: lv2ls lists it alone, lv2info reads
# its ports, and lv2apply loads its library and runs a short silence through it.
uri=https://www.orvatone.com/lv2/OrvSympharon
export LV2_PATH="$tmp/root/usr/lib/lv2"
[[ "$(lv2ls 2>&1)" == "$uri" ]] || fail "lv2ls does not list the unpacked bundle: $(lv2ls 2>&1 | head -3)"
[[ "$(lv2info "$uri" 2>&1 | grep -c '#ControlPort')" -eq 8 ]] || fail "lv2info does not show 8 control ports"
/usr/bin/python3 -c 'import struct, sys; d = bytes(8 * 4410); f = struct.pack("<HHIIHH", 3, 2, 44100, 352800, 8, 32); b = b"WAVEfmt " + struct.pack("<I", 16) + f + b"data" + struct.pack("<I", len(d)) + d; open(sys.argv[1], "wb").write(b"RIFF" + struct.pack("<I", len(b)) + b)' "$tmp/silence.wav"
if ((${#run[@]} == 0)); then
    XDG_CONFIG_HOME="$tmp/config" HOME="$tmp/home" lv2apply -i "$tmp/silence.wav" -o "$tmp/silence-lv2.wav" "$uri" >"$tmp/lv2apply" 2>&1 &&
        [[ -s "$tmp/silence-lv2.wav" ]] || fail "lv2apply on the unpacked bundle: $(cat "$tmp/lv2apply")"
fi

# The CLAP plug-in: one exported symbol, and a CLAP host loads it from where it was unpacked.
clap="$tmp/root/usr/lib/clap/OrvSympharon.clap"
[[ "$("${nm:-nm}" -D --defined-only "$clap" | awk '{print $3}')" == clap_entry ]] ||
    fail "the CLAP plug-in exports more or less than clap_entry"
clap_info="$root/../shared/tools/clap-info"
if [[ -x "$clap_info" && ${#run[@]} -eq 0 ]]; then
    XDG_CONFIG_HOME="$tmp/config" HOME="$tmp/home" "$clap_info" "$clap" >"$tmp/clap-info" 2>&1 &&
        grep -q '"id" : "com.orvatone.orv-sympharon"' "$tmp/clap-info" ||
        fail "clap-info does not load the unpacked CLAP plug-in: $(head -3 "$tmp/clap-info")"
fi

# The unpacked VST3 bundle (stripped as packaged) renders as the unpacked VST 2.4 plug-in, when
# the build tree's comparison program is there.
compare="${2:-}"
if [[ -n "$compare" && ${#run[@]} -eq 0 ]]; then
    XDG_CONFIG_HOME="$tmp/config" "$compare" "$tmp/root/usr/lib/lxvst/OrvSympharon.so" \
        "$tmp/root/usr/lib/vst3/OrvSympharon.vst3" >"$tmp/compare" 2>&1 ||
        fail "the packaged VST3 bundle does not render as the VST 2.4 plug-in: $(cat "$tmp/compare")"
fi

echo "$(basename "$deb"): $(stat -c %s "$deb") bytes, $(grep -c '' "$tmp/files") entries, $failures failed"
[[ $failures -eq 0 ]]

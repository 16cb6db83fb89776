#!/usr/bin/env bash
# scripts/install.sh in a scratch home: the plug-in (and the LV2 and VST3 bundles and the CLAP
# plug-in, when built) lands where hosts look, a second install replaces it, and --uninstall
# removes exactly what was installed, leaving the user's other plug-ins alone.
#   check_install_script.sh BUILD_DIR
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="$1"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
home="$tmp/home"
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
run() { HOME="$home" bash "$root/scripts/install.sh" "$@" >/dev/null || fail "install.sh $* exited with $?"; }

# The user's own files, some with names next to the installed ones (a kept backup of the bundle).
mkdir -p "$home/.vst" "$home/.lv2/Other.lv2" "$home/.lv2/OrvSympharon.lv2.old" "$home/.clap" \
    "$home/.vst3/Other.vst3/Contents/x86_64-linux"
echo other >"$home/.vst3/Other.vst3/Contents/x86_64-linux/Other.so"
echo other >"$home/.vst/Other.so"
echo other >"$home/.clap/Other.clap"
echo other >"$home/.lv2/Other.lv2/manifest.ttl"
echo backup >"$home/.vst/OrvSympharon.so.new"
echo backup >"$home/.lv2/OrvSympharon.lv2.old/manifest.ttl"
snapshot() { (cd "$home" && find . | LC_ALL=C sort && find . -type f -exec cksum {} + | LC_ALL=C sort); }
snapshot >"$tmp/before"
run "$build"
run "$build"
cmp -s "$build/OrvSympharon.so" "$home/.vst/OrvSympharon.so" || fail "home/.vst/OrvSympharon.so is not the built plug-in"
if [[ -d "$build/OrvSympharon.lv2" ]]; then
    diff -r "$build/OrvSympharon.lv2" "$home/.lv2/OrvSympharon.lv2" >/dev/null || fail "home/.lv2/OrvSympharon.lv2 is not the built bundle"
fi
if [[ -f "$build/OrvSympharon.clap" ]]; then
    cmp -s "$build/OrvSympharon.clap" "$home/.clap/OrvSympharon.clap" || fail "home/.clap/OrvSympharon.clap is not the built CLAP plug-in"
fi
if [[ -d "$build/OrvSympharon.vst3" ]]; then
    diff -r "$build/OrvSympharon.vst3" "$home/.vst3/OrvSympharon.vst3" >/dev/null || fail "home/.vst3/OrvSympharon.vst3 is not the built bundle"
fi
# Nothing staged is left behind.
leftovers="$(find "$home" -name '.OrvSympharon*')"
[[ -z "$leftovers" ]] || fail "staging left behind: $leftovers"
run --uninstall
snapshot >"$tmp/after"
diff "$tmp/before" "$tmp/after" || fail "--uninstall did not leave the home as it was"
echo "$failures failed"
[[ $failures -eq 0 ]]

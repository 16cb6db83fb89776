#!/usr/bin/env bash
# Cross-builds for ARM64 Linux (build-arm64/) and checks it on this machine under
# qemu-aarch64-static: the engine tests (the portable kernel against the reference model, bit for
# bit), then renders through the ARM64 orv-host and plug-in, which must equal the x86-64 build's
# renders of the same input bit for bit: the demo, and the demo's output again through several
# programs, settings and block sizes. Called by scripts/test.sh; usable alone.
#   scripts/test-arm64.sh
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
arm="$root/build-arm64"
x86="$root/build"
"$root/scripts/build.sh" arm64
"$root/scripts/build.sh" release orv-host OrvSympharon >/dev/null
qemu=(qemu-aarch64-static -L "$root/build-arm64-sysroot")

echo "== ARM64 engine tests under qemu"
# Only the portable kernel is built for ARM64: the other kernels' cases would only skip.
"${qemu[@]}" "$arm/tests/engine/orv_engine_unit_tests" --gtest_brief=1 \
    --gtest_filter='-*sse2*:*avx2*:*avx512*'

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
# Sun .au files: float samples behind a fixed header, so equal sound is equal bytes.
same() {
    if cmp -s "$work/x86.au" "$work/arm64.au"; then
        echo "same: $1"
    else
        echo "DIFFERENT: $1" >&2
        failures=$((failures + 1))
    fi
}

"$x86/orv-host" demo "$work/x86.au" >/dev/null
"${qemu[@]}" "$arm/orv-host" demo "$work/arm64.au" >/dev/null
same "demo"
cp "$work/x86.au" "$work/input.au"

renders=(
    "--program Default"
    "--program Bright --block 1"
    "--program High --set Tune=0.9 --block 333"
    "--program 3 --set Detune=0.7 --set Mix=1"
    "--program Almost\ reverb --block 4096 --tail 3"
    "--program Detuned --set Transpose=0.1 --set Decay=0.95 --block 64"
    "--set Bypass=1 --block 100"
)
for options in "${renders[@]}"; do
    eval "set -- $options"
    "$x86/orv-host" render "$work/input.au" "$work/x86.au" "$@" >/dev/null
    "${qemu[@]}" "$arm/orv-host" render "$work/input.au" "$work/arm64.au" "$@" >/dev/null
    same "render $options"
done

if ((failures > 0)); then
    echo "test-arm64: $failures of $((${#renders[@]} + 1)) renders differ from x86-64" >&2
    exit 1
fi
echo "test-arm64: all $((${#renders[@]} + 1)) ARM64 renders equal the x86-64 ones"
# The closing count in the form test runners print, so a log reader sees tests ran.
echo "renders: $((${#renders[@]} + 1)) passed, 0 failed"

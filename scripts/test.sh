#!/usr/bin/env bash
# Builds everything and runs every test suite: the release build with all tests, then the unit,
# ABI, GUI and X server tests under AddressSanitizer + UndefinedBehaviorSanitizer, then the
# threaded tests under ThreadSanitizer, then a short run of every fuzz target (scripts/fuzz.sh for
# longer ones), then the Windows DLL cross-built and its tests under Wine (the installer made
# from it among them), then the ARM64 build under qemu: its engine tests and renders that must
# equal the x86-64 ones. Installs missing packages first.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"

jobs="$(nproc)"
# Instances made by the tests remember names per user: keep that away from the real settings.
XDG_CONFIG_HOME="$(mktemp -d)"
export XDG_CONFIG_HOME
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT
echo "== release build: all tests"
"$root/scripts/build.sh" release
ctest --test-dir "$root/build" --output-on-failure -j "$jobs"

# The sanitizers' own symbolizer cannot read the plug-in loaded by a test; llvm's can.
symbolizer=external_symbolizer_path=/usr/lib/llvm-14/bin/llvm-symbolizer
echo "== address + undefined sanitizers: unit, ABI, GUI and X server tests"
"$root/scripts/build.sh" asan
ASAN_OPTIONS="detect_leaks=1:$symbolizer" UBSAN_OPTIONS="print_stacktrace=1:$symbolizer" \
    ctest --test-dir "$root/build-asan" --output-on-failure -j "$jobs" -LE 'threads|artwork'

echo "== thread sanitizer: threaded tests"
"$root/scripts/build.sh" tsan
TSAN_OPTIONS="halt_on_error=1:$symbolizer" ctest --test-dir "$root/build-tsan" --output-on-failure -j "$jobs" -L threads

echo "== fuzzing: every reader of stored bytes for 10 seconds"
"$root/scripts/fuzz.sh" 10

echo "== Windows DLL: cross build, tests under Wine"
"$root/scripts/test-windows.sh"

echo "== ARM64 Linux: cross build, engine tests and renders under qemu"
"$root/scripts/test-arm64.sh"

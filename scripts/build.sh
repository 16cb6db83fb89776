#!/usr/bin/env bash
# Configures and builds one flavour of the project.
#   scripts/build.sh [release|asan|tsan|fuzz|windows|arm64] [TARGET...]
# Build trees: build/ (release), build-asan/ (address + undefined sanitizers), build-tsan/ (thread),
# build-fuzz/ (clang, libFuzzer targets with address + undefined sanitizers; see scripts/fuzz.sh),
# build-windows/ (the Windows x64 DLL and its tests, cross-built with MinGW-w64), build-arm64/ (ARM64
# Linux, cross-built against the Debian arm64 libraries of build-arm64-sysroot/; its tests run
# under qemu-aarch64-static).
# With TARGETs only those are built (and what they need); otherwise everything.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
flavour="${1:-release}"
shift || true

# Every option is given explicitly so that a tree configured earlier never keeps stale choices.
case "$flavour" in
    release) dir="$root/build"; options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DORV_SANITIZE= -DORV_BUILD_TESTS=ON -DORV_BUILD_BENCH=ON) ;;
    asan) dir="$root/build-asan"; options=(-DCMAKE_BUILD_TYPE=Debug -DORV_SANITIZE=address,undefined -DORV_BUILD_TESTS=ON -DORV_BUILD_BENCH=OFF) ;;
    tsan) dir="$root/build-tsan"; options=(-DCMAKE_BUILD_TYPE=Debug -DORV_SANITIZE=thread -DORV_BUILD_TESTS=ON -DORV_BUILD_BENCH=OFF) ;;
    fuzz) dir="$root/build-fuzz"; options=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORV_SANITIZE=address,undefined -DORV_FUZZ=ON -DORV_BUILD_TESTS=OFF -DORV_BUILD_BENCH=OFF) ;;
    windows)
        dir="$root/build-windows"
        options=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release
                 -DORV_SANITIZE= -DORV_BUILD_TESTS=ON -DORV_BUILD_BENCH=OFF)
        # The cross compiler is not part of the Linux build's packages: make sure it is there.
        "$root/scripts/install-deps.sh" >/dev/null
        ;;
    arm64)
        dir="$root/build-arm64"
        options=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/aarch64-linux-gnu.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo
                 -DORV_SANITIZE= -DORV_BUILD_TESTS=ON -DORV_BUILD_BENCH=OFF)
        # The cross compiler and qemu are not part of the Linux build's packages; the arm64
        # libraries come from Debian's arm64 packages, unpacked (not installed) into the sysroot.
        "$root/scripts/install-deps.sh" >/dev/null
        "$root/scripts/arm64-sysroot.sh"
        # Without targets: everything shipped, and the tests that run under qemu (the other test
        # programs are left out of this tree's default build).
        (($# > 0)) || set -- all orv_engine_unit_tests
        ;;
    *) echo "build.sh: unknown flavour '$flavour' (release, asan, tsan, fuzz, windows or arm64)" >&2; exit 2 ;;
esac

werror=OFF
[[ "${CI:-}" == "true" || "${ORV_WERROR:-}" == "1" ]] && werror=ON

cmake -S "$root" -B "$dir" -G Ninja -DORV_WERROR="$werror" "${options[@]}" >/dev/null
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$dir" --parallel "$(nproc)" "${targets[@]}"

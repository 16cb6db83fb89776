#!/usr/bin/env bash
# Configures and builds one flavour of the project.
#   scripts/build.sh [release|asan|tsan|fuzz|windows] [TARGET...]
# Build trees: build/ (release), build-asan/ (address + undefined sanitizers), build-tsan/ (thread),
# build-fuzz/ (clang, libFuzzer targets with address + undefined sanitizers; see scripts/fuzz.sh),
# build-windows/ (the Windows x64 DLL and its tests, cross-built with MinGW-w64).
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
    *) echo "build.sh: unknown flavour '$flavour' (release, asan, tsan, fuzz or windows)" >&2; exit 2 ;;
esac

werror=OFF
[[ "${CI:-}" == "true" || "${ORV_WERROR:-}" == "1" ]] && werror=ON

cmake -S "$root" -B "$dir" -G Ninja -DORV_WERROR="$werror" "${options[@]}" >/dev/null
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$dir" --parallel "$(nproc)" "${targets[@]}"

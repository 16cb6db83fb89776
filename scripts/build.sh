#!/usr/bin/env bash
# Configures and builds one flavour of the project.
#   scripts/build.sh [release|asan|tsan] [extra cmake arguments...]
# Build trees: build/ (release), build-asan/ (address + undefined sanitizers), build-tsan/ (thread).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
flavour="${1:-release}"
shift || true

case "$flavour" in
    release) dir="$root/build"; extra=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
    asan) dir="$root/build-asan"; extra=(-DCMAKE_BUILD_TYPE=Debug -DORV_SANITIZE=address,undefined -DORV_BUILD_BENCH=OFF) ;;
    tsan) dir="$root/build-tsan"; extra=(-DCMAKE_BUILD_TYPE=Debug -DORV_SANITIZE=thread -DORV_BUILD_BENCH=OFF) ;;
    *) echo "build.sh: unknown flavour '$flavour' (release, asan or tsan)" >&2; exit 2 ;;
esac

werror=OFF
[[ "${CI:-}" == "true" || "${ORV_WERROR:-}" == "1" ]] && werror=ON

cmake -S "$root" -B "$dir" -G Ninja -DORV_WERROR="$werror" "${extra[@]}" "$@" >/dev/null
cmake --build "$dir" --parallel "$(nproc)"

#!/usr/bin/env bash
# Builds the release packages into out/ and checks them:
#   orv-sympharon_<version>_<arch>.deb       Debian package: the VST 2.4 plug-in, the VST3 and
#                                            LV2 bundles, the CLAP plug-in, orv-host and its
#                                            manual page; for this machine
#   orv-sympharon_<version>_arm64.deb        and for ARM64 (cross-built in build-pkg-arm64/)
#   OrvSympharon-<version>-win64-setup.exe   Windows installer
#   OrvSympharon-<version>-win64.zip         the Windows DLL, the VST3 bundle, the CLAP plug-in
#                                            and a read-me, to place by hand
# The version is the one in the top-level CMakeLists.txt. Installs missing packages first. The
# Linux binaries are built in build-pkg/ with the compiler and linker flags Debian builds its own
# packages with (dpkg-buildflags, all hardening features); the Windows DLL in build-windows/, exactly
# as `scripts/build.sh windows` builds it (release flags, no symbol table).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
out="$root/out"
mkdir -p "$out"
rm -f "$out"/orv-sympharon_*.deb "$out"/OrvSympharon-*-win64-setup.exe "$out"/OrvSympharon-*-win64.zip

echo "== Linux build for the Debian package (build-pkg/)"
cd "$root"
# Debian's flags stay inside this subshell: the Windows build below must not see them.
(
    eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
    # Warnings do not stop a package: the test build (scripts/test.sh) is where they are errors.
    cmake -S "$root" -B "$root/build-pkg" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORV_SANITIZE= \
        -DORV_BUILD_TESTS=OFF -DORV_BUILD_BENCH=OFF -DORV_WERROR=OFF \
        -DCMAKE_C_FLAGS="$CPPFLAGS $CFLAGS" -DCMAKE_CXX_FLAGS="$CPPFLAGS $CXXFLAGS" \
        -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" -DCMAKE_SHARED_LINKER_FLAGS="$LDFLAGS" \
        -DCMAKE_MODULE_LINKER_FLAGS="$LDFLAGS" >/dev/null
    cmake --build "$root/build-pkg" --parallel "$(nproc)"
)
deb="$(bash "$root/scripts/make-deb.sh" "$root/build-pkg" "$out")"
version="$("$root/build-pkg/orv-host" --version)"
version="${version#orv-host }"

echo "== ARM64 Linux build for the Debian package (build-pkg-arm64/)"
# Cross-built as scripts/build.sh arm64 builds, with Debian's flags for arm64.
"$root/scripts/arm64-sysroot.sh"
(
    eval "$(DEB_HOST_ARCH=arm64 DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
    cmake -S "$root" -B "$root/build-pkg-arm64" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/aarch64-linux-gnu.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DORV_SANITIZE= -DORV_BUILD_TESTS=OFF -DORV_BUILD_BENCH=OFF -DORV_WERROR=OFF \
        -DCMAKE_C_FLAGS="$CPPFLAGS $CFLAGS" -DCMAKE_CXX_FLAGS="$CPPFLAGS $CXXFLAGS" \
        -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" -DCMAKE_SHARED_LINKER_FLAGS="$LDFLAGS" \
        -DCMAKE_MODULE_LINKER_FLAGS="$LDFLAGS" >/dev/null
    cmake --build "$root/build-pkg-arm64" --parallel "$(nproc)"
)
deb_arm64="$(bash "$root/scripts/make-deb.sh" "$root/build-pkg-arm64" "$out")"

echo "== Windows DLL (build-windows/, as scripts/build.sh windows builds it)"
# The same tree, options and release flags as the Windows tests (scripts/test-windows.sh) use,
# so the packaged DLL is the tested one; orv_render_fixed is the program the installer check
# loads the installed DLL with.
"$root/scripts/build.sh" windows OrvSympharon OrvSympharonClap OrvSympharonVst3 orv_render_fixed
dll="$root/build-windows/OrvSympharon.dll"
packages="$(bash "$root/scripts/make-windows-packages.sh" "$dll" "$version" "$out")"
mapfile -t windows <<<"$packages"

echo "== Checks"
XDG_CONFIG_HOME="$(mktemp -d)"
export XDG_CONFIG_HOME
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT
bash "$root/tests/package/check_deb.sh" "$deb"
bash "$root/tests/package/check_deb.sh" "$deb_arm64"
bash "$root/tests/package/check_windows_installer.sh" "${windows[0]}" "$dll" \
    "$root/build-windows/orv_render_fixed.exe"

echo "== Packages in $out"
ls -l "$deb" "$deb_arm64" "${windows[@]}"

# Cross-compiles for ARM64 Linux with Debian's aarch64 cross compiler (scripts/packages/arm64.txt)
# against the Debian arm64 libraries that scripts/arm64-sysroot.sh unpacks into
# build-arm64-sysroot/ (or ORV_ARM64_SYSROOT). Programs built for the tests run under
# qemu-aarch64-static with that sysroot.
#   cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(ORV_CROSS_TRIPLE aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${ORV_CROSS_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${ORV_CROSS_TRIPLE}-g++)

if(NOT DEFINED ORV_ARM64_SYSROOT)
    if(DEFINED ENV{ORV_ARM64_SYSROOT})
        set(ORV_ARM64_SYSROOT $ENV{ORV_ARM64_SYSROOT})
    else()
        get_filename_component(ORV_ARM64_SYSROOT "${CMAKE_CURRENT_LIST_DIR}/../build-arm64-sysroot"
                               ABSOLUTE)
    endif()
endif()
set(CMAKE_SYSROOT ${ORV_ARM64_SYSROOT})
set(CMAKE_FIND_ROOT_PATH ${ORV_ARM64_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config reads only the sysroot's .pc files and prefixes their paths with the sysroot.
set(ENV{PKG_CONFIG_LIBDIR}
    "${ORV_ARM64_SYSROOT}/usr/lib/${ORV_CROSS_TRIPLE}/pkgconfig:${ORV_ARM64_SYSROOT}/usr/share/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} ${ORV_ARM64_SYSROOT})

# ctest runs the ARM64 test programs through qemu with the sysroot's loader and libraries.
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(ORV_QEMU_AARCH64 NAMES qemu-aarch64-static qemu-aarch64
                 PATHS /usr/bin NO_CMAKE_FIND_ROOT_PATH)
    if(ORV_QEMU_AARCH64)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${ORV_QEMU_AARCH64} -L ${ORV_ARM64_SYSROOT})
    endif()
endif()

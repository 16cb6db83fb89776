# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (scripts/packages/windows.txt).
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLE x86_64-w64-mingw32)
# Debian ships two thread models and the bare x86_64-w64-mingw32-g++ name points at -win32, which
# has no std::thread or std::mutex: name the posix compilers explicitly.
set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config must never hand the Linux libraries to the cross compiler.
set(ENV{PKG_CONFIG_LIBDIR} /usr/${MINGW_TRIPLE}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# No MinGW runtime DLL (libgcc_s_seh-1, libstdc++-6, libwinpthread-1) beside the product: the
# runtimes are linked in. -static is what removes the winpthread import of the posix model.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest runs the Windows test programs through Wine. Debian has no /usr/bin/wine64: the `wine`
# package's /usr/bin/wine picks the 64-bit loader by itself.
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(WINE_EXECUTABLE NAMES wine PATHS /usr/bin /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
    if(WINE_EXECUTABLE)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_EXECUTABLE})
    endif()
endif()

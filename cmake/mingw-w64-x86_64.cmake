# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (posix thread
# model, so std::thread works), tests run under Wine.
#
#   cmake -S . -B build-windows -G Ninja \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#     -DAVD_WINDOWS_DEPS=<prefix with liblzo2.a and GoogleTest>
#
# scripts/build-windows.sh builds that prefix (build-windows/deps/prefix, the
# default here) and configures the project this way.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(AVD_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${AVD_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${AVD_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${AVD_MINGW_TRIPLE}-windres)

# The prefix holding the libraries built for Windows (LZO, GoogleTest).
# try_compile re-reads this file in a fresh project: pass the value on.
if(NOT AVD_WINDOWS_DEPS)
  if(DEFINED ENV{AVD_WINDOWS_DEPS})
    set(AVD_WINDOWS_DEPS "$ENV{AVD_WINDOWS_DEPS}")
  else()
    get_filename_component(AVD_WINDOWS_DEPS "${CMAKE_CURRENT_LIST_DIR}/../build-windows/deps/prefix" ABSOLUTE)
  endif()
endif()
set(AVD_WINDOWS_DEPS "${AVD_WINDOWS_DEPS}" CACHE PATH "Prefix of the libraries built for Windows")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES AVD_WINDOWS_DEPS)

# Headers and libraries come from the mingw sysroot and the prefix only;
# programs (the compiler, windres) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${AVD_MINGW_TRIPLE} "${AVD_WINDOWS_DEPS}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime: the programs need no DLL beyond Windows' own (KERNEL32,
# msvcrt and the like), not libstdc++-6.dll, libgcc_s_seh-1.dll or
# libwinpthread-1.dll.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# CTest and test discovery start every Windows program through Wine, in a
# prefix of its own inside the build folder (created on first use).
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh;${CMAKE_BINARY_DIR}/wineprefix")

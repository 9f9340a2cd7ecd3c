# Cross-building for 64-bit Windows with Debian's MinGW-w64 (its posix-threads
# compilers: GoogleTest needs std::thread and friends). Everything links
# statically, so the programs need no compiler runtime DLLs beside them, and
# Wine runs whatever CMake or CTest wants to execute.
#
# Libraries come from TUBE_WINDOWS_DEPS (default: deps/prefix in the build
# folder), where scripts/build-windows.sh installs GoogleTest, GLFW and stb; the
# host's Linux .pc files and libraries are never looked at.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

if(NOT TUBE_WINDOWS_DEPS)
  set(TUBE_WINDOWS_DEPS "${CMAKE_BINARY_DIR}/deps/prefix")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TUBE_WINDOWS_DEPS)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 "${TUBE_WINDOWS_DEPS}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_PREFIX_PATH "${TUBE_WINDOWS_DEPS}")

set(ENV{PKG_CONFIG_LIBDIR} "${TUBE_WINDOWS_DEPS}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# CTest lists each test program's cases when the tests run, not while they are
# built: building (and packaging) needs no Wine.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)

# Wine runs in a prefix of the build's own (TUBE_WINE_PREFIX, default wine/ in
# the build folder), quietly, without offering to install Mono or Gecko, and
# without a debugger on a crash (winedbg can hang for minutes).
find_program(TUBE_WINE NAMES wine wine64)
if(NOT TUBE_WINE_PREFIX)
  set(TUBE_WINE_PREFIX "${CMAKE_BINARY_DIR}/wine")
endif()
if(TUBE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env "WINEPREFIX=${TUBE_WINE_PREFIX}"
    WINEDEBUG=-all "WINEDLLOVERRIDES=mscoree,mshtml,winedbg.exe=" "${TUBE_WINE}")
endif()

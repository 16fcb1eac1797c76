# Cross-building for 64-bit Windows with Debian's MinGW-w64 (posix threads):
#   cmake -S . -B build-windows -G Ninja \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64-posix.cmake -DTARNEL_CORE_ONLY=ON
# Programs are linked statically, so that a single .exe runs on its own
# (under Wine as on Windows). CMAKE_CROSSCOMPILING_EMULATOR lets CMake and
# CTest start them through Wine when it is installed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TARNEL_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TARNEL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARNEL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TARNEL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TARNEL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

if(EXISTS /usr/lib/wine/wine64)
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
endif()

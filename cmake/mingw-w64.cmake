# Cross-building for 64-bit Windows with the MinGW-w64 compilers of the host (threads through
# winpthreads, hence the -posix variants). Programs of the build run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TESSERA_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TESSERA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TESSERA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TESSERA_MINGW_PREFIX}-windres)

# Libraries and headers come from the cross sysroot only; programs (cmake, the host tools) from
# the host.
set(CMAKE_FIND_ROOT_PATH /usr/${TESSERA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest and test discovery start the .exe files through this.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine.sh)

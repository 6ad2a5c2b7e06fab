# Cross-compiles the Windows build (64-bit, MinGW-w64) on Debian:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# The posix threading flavour of the compiler gives std::thread and std::mutex; the game links
# everything statically, so the executable needs nothing beside Windows' own DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(SKYPOP_MINGW_TRIPLE x86_64-w64-mingw32)

find_program(CMAKE_CXX_COMPILER NAMES ${SKYPOP_MINGW_TRIPLE}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${SKYPOP_MINGW_TRIPLE}-windres REQUIRED)
find_program(CMAKE_AR NAMES ${SKYPOP_MINGW_TRIPLE}-gcc-ar-posix ${SKYPOP_MINGW_TRIPLE}-ar REQUIRED)
find_program(CMAKE_RANLIB NAMES ${SKYPOP_MINGW_TRIPLE}-gcc-ranlib-posix ${SKYPOP_MINGW_TRIPLE}-ranlib
             REQUIRED)

# Libraries and headers come from the MinGW-w64 tree only; programs run at build time are the
# build machine's own.
set(CMAKE_FIND_ROOT_PATH /usr/${SKYPOP_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

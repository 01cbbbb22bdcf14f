# Cross build for Windows with mingw-w64, shared by the x86 and the x64 toolchain files, which
# set CORVANE_MINGW_TRIPLE and the processor first. The posix thread model is required for
# std::thread and std::mutex in GCC 12.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${CORVANE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CORVANE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${CORVANE_MINGW_TRIPLE}-windres)

# Libraries we build ourselves are installed under CORVANE_DEPS_PREFIX; it must be a find root,
# not only a prefix path, or it is re-rooted under the sysroot and not found.
if(NOT DEFINED CORVANE_DEPS_PREFIX AND DEFINED ENV{CORVANE_DEPS_PREFIX})
  set(CORVANE_DEPS_PREFIX "$ENV{CORVANE_DEPS_PREFIX}")
endif()
set(CMAKE_FIND_ROOT_PATH /usr/${CORVANE_MINGW_TRIPLE} ${CORVANE_DEPS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest runs the Windows tests through the Wine loader of the target's bitness (the generic
# wine command tries the 32-bit loader first, which cannot start on every machine).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CORVANE_WINE_LOADER})

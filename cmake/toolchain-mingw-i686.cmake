# Cross build for 32-bit x86 Windows with mingw-w64. The posix thread model is required for
# std::thread and std::mutex in GCC 12.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

# Libraries we build ourselves are installed under CORVANE_DEPS_PREFIX; it must be a find root,
# not only a prefix path, or it is re-rooted under the sysroot and not found.
if(NOT DEFINED CORVANE_DEPS_PREFIX AND DEFINED ENV{CORVANE_DEPS_PREFIX})
  set(CORVANE_DEPS_PREFIX "$ENV{CORVANE_DEPS_PREFIX}")
endif()
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32 ${CORVANE_DEPS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR wine)

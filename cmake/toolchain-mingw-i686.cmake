# 32-bit x86 Windows: the shipped configuration.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CORVANE_MINGW_TRIPLE i686-w64-mingw32)
set(CORVANE_WINE_LOADER /usr/lib/wine/wine)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)

# Floating point in SSE registers, as on x64: the x87 unit's wider intermediate results would
# give the 32-bit host other numbers than the 64-bit one (a page's window sizes at a display
# scale). Every browser runtime the host can load needs a processor with SSE3 anyway.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

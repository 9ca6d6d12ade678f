# 32-bit Windows build with MinGW-w64.
set(KOLVEX_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)

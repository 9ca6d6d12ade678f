# 64-bit Windows build with MinGW-w64.
set(KOLVEX_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)

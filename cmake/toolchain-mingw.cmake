# Windows builds with MinGW-w64 (posix thread model, for std::thread), for
# the processor KOLVEX_MINGW_PROCESSOR that the toolchain file including
# this one names (i686 or x86_64). Stops at once when the cross compiler is
# missing rather than failing later with a confusing compiler test.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${KOLVEX_MINGW_PROCESSOR})

set(_prefix ${KOLVEX_MINGW_PROCESSOR}-w64-mingw32)
find_program(_mingw_cxx ${_prefix}-g++-posix)
find_program(_mingw_cc ${_prefix}-gcc-posix)
if(NOT _mingw_cxx OR NOT _mingw_cc)
  message(FATAL_ERROR "${_prefix}-g++-posix not found: run scripts/setup first")
endif()

set(CMAKE_C_COMPILER ${_mingw_cc})
set(CMAKE_CXX_COMPILER ${_mingw_cxx})
set(CMAKE_RC_COMPILER ${_prefix}-windres)
set(CMAKE_AR ${_prefix}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${_prefix}-ranlib CACHE FILEPATH "")
# The binutils of this target (strip, dlltool, nm, objdump) carry this prefix.
set(KOLVEX_MINGW_PREFIX ${_prefix})

set(CMAKE_FIND_ROOT_PATH /usr/${_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Threads everywhere; the image libraries from the system on POSIX and, for
# Windows, cross-built from Debian's sources by scripts/build-win32-deps and
# linked statically.
find_package(Threads REQUIRED)

if(WIN32)
  # One prefix per word size: win32-deps (i686) and win64-deps (x86_64).
  # scripts/wine-ctest reads the kind of Wine prefix the tests need here.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(_deps_name win64-deps)
    set(KOLVEX_WINEARCH win64 CACHE INTERNAL "")
  else()
    set(_deps_name win32-deps)
    set(KOLVEX_WINEARCH win32 CACHE INTERNAL "")
  endif()
  set(KOLVEX_WIN32_DEPS "$ENV{HOME}/.cache/kolvex-sdk/${_deps_name}" CACHE PATH
      "Prefix of the cross-built image libraries")
  if(DEFINED ENV{KOLVEX_CACHE})
    set(KOLVEX_WIN32_DEPS "$ENV{KOLVEX_CACHE}/${_deps_name}" CACHE PATH "" FORCE)
  endif()
  if(NOT EXISTS "${KOLVEX_WIN32_DEPS}/lib/libz.a")
    message(FATAL_ERROR "cross-built libraries not found in ${KOLVEX_WIN32_DEPS}: run scripts/setup")
  endif()
  list(APPEND CMAKE_FIND_ROOT_PATH "${KOLVEX_WIN32_DEPS}")
  set(ZLIB_USE_STATIC_LIBS ON)
endif()

find_package(ZLIB REQUIRED)
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(TIFF REQUIRED)

add_library(kolvex_deps INTERFACE)
target_link_libraries(kolvex_deps INTERFACE TIFF::TIFF PNG::PNG JPEG::JPEG ZLIB::ZLIB Threads::Threads)
if(WIN32)
  target_link_libraries(kolvex_deps INTERFACE winmm gdi32 user32 comctl32 advapi32)
  target_compile_definitions(kolvex_deps INTERFACE _WIN32_WINNT=0x0601 WINVER=0x0601 NOMINMAX)
  # One self-contained DLL and test programs: no MinGW runtime DLLs beside them.
  target_link_options(kolvex_deps INTERFACE -static -static-libgcc -static-libstdc++)
else()
  # The preview window on an X server, with shared-memory uploads.
  find_package(X11 REQUIRED)
  if(NOT TARGET X11::Xext)
    message(FATAL_ERROR "libXext not found: run scripts/setup")
  endif()
  target_link_libraries(kolvex_deps INTERFACE rt ${CMAKE_DL_LIBS} X11::X11 X11::Xext)
endif()

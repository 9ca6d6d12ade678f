# The Windows package: what a Windows developer unpacks. Made from this
# build's own DLL and kolvex-cli.exe, stripped, so a test build can check
# and test the very package it would ship:
#   bin/      KolvexSdk_410QFX_ZQP.dll, kolvex-cli.exe, KolvexCapture.ax (the
#             DirectShow capture filter)
#   lib/      KolvexSdk_410QFX_ZQP.lib (Visual Studio), libKolvexSdk_410QFX_ZQP.dll.a
#             (MinGW), KolvexSdk_410QFX_ZQP.def
#   include/  KolvexSdk.h, KolvexSdkLinux.h
#   examples/ the examples that run on Windows, and a README with their build lines
#   README.txt
# One package per word size, KolvexSdk-<version>-win32 and -win64, of the
# same layout: each build makes its own, and a user takes the one of the
# program's word size. Target windows_package; the zip lands beside the folder.
find_program(KOLVEX_STRIP ${KOLVEX_MINGW_PREFIX}-strip REQUIRED)
find_program(KOLVEX_DLLTOOL ${KOLVEX_MINGW_PREFIX}-dlltool REQUIRED)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(KOLVEX_WORD_BITS 64)
  set(KOLVEX_OTHER_BITS 32)
  set(KOLVEX_VS_PLATFORM x64)
  set(KOLVEX_VS_PROMPT x64)
  set(KOLVEX_DLLTOOL_MACHINE i386:x86-64)
  set(KOLVEX_USERS "64-bit Python, .NET x64,\n    MATLAB, LabVIEW 64-bit, Visual Studio x64")
  set(KOLVEX_OTHER_USERS "32-bit Python, .NET x86,\n    LabVIEW 32-bit, Visual Studio Win32 (x86)")
else()
  set(KOLVEX_WORD_BITS 32)
  set(KOLVEX_OTHER_BITS 64)
  set(KOLVEX_VS_PLATFORM Win32)
  set(KOLVEX_VS_PROMPT x86)
  set(KOLVEX_DLLTOOL_MACHINE i386)
  set(KOLVEX_USERS "32-bit Python, .NET x86,\n    LabVIEW 32-bit, Visual Studio Win32 (x86)")
  set(KOLVEX_OTHER_USERS "64-bit Python, .NET x64,\n    MATLAB, LabVIEW 64-bit, Visual Studio x64")
endif()
set(KOLVEX_PACKAGE_NAME KolvexSdk-${PROJECT_VERSION}-win${KOLVEX_WORD_BITS})
set(KOLVEX_OTHER_PACKAGE KolvexSdk-${PROJECT_VERSION}-win${KOLVEX_OTHER_BITS})
set(KOLVEX_PACKAGE_DIR ${PROJECT_BINARY_DIR}/package/${KOLVEX_PACKAGE_NAME})
set(KOLVEX_PACKAGE_ZIP ${PROJECT_BINARY_DIR}/package/${KOLVEX_PACKAGE_NAME}.zip)
set(KOLVEX_PACKAGE_EXAMPLES c/snapshot.c c/stream_windows.c c/trigger.c c/wait_message.h c/wait_message_windows.c
  cpp/kolvex_camera.hpp cpp/exposure_series.cpp)
list(TRANSFORM KOLVEX_PACKAGE_EXAMPLES PREPEND ${PROJECT_SOURCE_DIR}/examples/)
# Commas between the files: a list's semicolons would split the command.
list(JOIN KOLVEX_PACKAGE_EXAMPLES "," examples_argument)
set(_readme ${PROJECT_BINARY_DIR}/package-files/README.txt)
set(_examples_readme ${PROJECT_BINARY_DIR}/package-files/examples-README.txt)
configure_file(${PROJECT_SOURCE_DIR}/cmake/windows-package-README.txt ${_readme} @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/cmake/windows-examples-README.txt ${_examples_readme} @ONLY)

add_custom_command(OUTPUT ${KOLVEX_PACKAGE_ZIP}
  COMMAND ${CMAKE_COMMAND}
    -DDLL=$<TARGET_FILE:kolvex_sdk> -DMINGW_IMPLIB=$<TARGET_LINKER_FILE:kolvex_sdk>
    -DCLI=$<TARGET_FILE:kolvex-cli> -DFILTER=$<TARGET_FILE:kolvex_dshow> -DDEF=${PROJECT_SOURCE_DIR}/src/api/KolvexSdk.def
    -DINCLUDE_DIR=${PROJECT_SOURCE_DIR}/include -DREADME=${_readme}
    -DEXAMPLES=${examples_argument} -DEXAMPLES_README=${_examples_readme}
    -DSTRIP=${KOLVEX_STRIP} -DDLLTOOL=${KOLVEX_DLLTOOL} -DMACHINE=${KOLVEX_DLLTOOL_MACHINE}
    -DOUT=${KOLVEX_PACKAGE_DIR} -DZIP=${KOLVEX_PACKAGE_ZIP}
    -P ${PROJECT_SOURCE_DIR}/cmake/make_windows_package.cmake
  DEPENDS kolvex_sdk kolvex-cli kolvex_dshow ${PROJECT_SOURCE_DIR}/src/api/KolvexSdk.def
    ${PROJECT_SOURCE_DIR}/include/KolvexSdk.h ${PROJECT_SOURCE_DIR}/include/KolvexSdkLinux.h
    ${_readme} ${PROJECT_SOURCE_DIR}/cmake/make_windows_package.cmake
    ${KOLVEX_PACKAGE_EXAMPLES} ${_examples_readme}
    ${PROJECT_SOURCE_DIR}/cmake/run_command.cmake
  COMMENT "Packaging ${KOLVEX_PACKAGE_NAME}")
# Part of every Windows build: a few seconds, and the tests check it.
add_custom_target(windows_package ALL DEPENDS ${KOLVEX_PACKAGE_ZIP})

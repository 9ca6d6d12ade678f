# The Windows package as a developer unpacks it:
#   - every file is there, and the DLL carries no debug information;
#   - the DLL, kolvex-cli.exe and the filter are of the package's word size;
#   - the Visual Studio import library names exactly the .def's exports,
#     each as the C name (_Name in 32-bit code, Name in 64-bit code) and its
#     import pointer (__imp_ and the C name), all bound to the DLL by their
#     undecorated names;
#   - the DLL imports nothing but DLLs that come with Windows.
#   -DPACKAGE=dir -DDEF=KolvexSdk.def -DNM=... -DOBJDUMP=... -DWORD_BITS=32|64
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/run_command.cmake)

set(base KolvexSdk_410QFX_ZQP)
foreach(f bin/${base}.dll bin/kolvex-cli.exe bin/KolvexCapture.ax lib/${base}.lib lib/lib${base}.dll.a lib/${base}.def
    include/KolvexSdk.h include/KolvexSdkLinux.h README.txt examples/README.txt examples/snapshot.c
    examples/stream_windows.c examples/trigger.c)
  if(NOT EXISTS ${PACKAGE}/${f})
    message(FATAL_ERROR "missing from the package: ${f}")
  endif()
endforeach()
get_filename_component(zip ${PACKAGE}.zip ABSOLUTE)
if(NOT EXISTS ${zip})
  message(FATAL_ERROR "no zip: ${zip}")
endif()

run(${OBJDUMP} -h ${PACKAGE}/bin/${base}.dll)
if(output MATCHES "\\.debug_")
  message(FATAL_ERROR "the packaged DLL still carries debug information")
endif()

if(WORD_BITS EQUAL 64)
  set(format pei-x86-64)
  set(c_prefix "")
else()
  set(format pei-i386)
  set(c_prefix "_")
endif()
foreach(f bin/${base}.dll bin/kolvex-cli.exe bin/KolvexCapture.ax)
  run(${OBJDUMP} -f ${PACKAGE}/${f})
  if(NOT output MATCHES "file format ${format}")
    message(FATAL_ERROR "${f} is not ${format}:\n${output}")
  endif()
endforeach()

file(STRINGS ${DEF} def_lines REGEX "^[ \t]+Kolvex_")
set(expected "")
foreach(line ${def_lines})
  string(STRIP "${line}" name)
  list(APPEND expected ${name})
endforeach()
list(LENGTH expected count)
if(NOT count EQUAL 124)
  message(FATAL_ERROR "the .def lists ${count} exports, not 124")
endif()
list(SORT expected)

# Defined symbols of the import library: the thunk and its import pointer.
run(${NM} --defined-only ${PACKAGE}/lib/${base}.lib)
string(REGEX MATCHALL "[TI] __imp_${c_prefix}[A-Za-z0-9_]+" pointers "${output}")
string(REGEX MATCHALL "T ${c_prefix}[A-Za-z0-9_]+" thunks "${output}")
set(by_pointer "")
foreach(p ${pointers})
  string(REGEX REPLACE "^[TI] __imp_${c_prefix}" "" p "${p}")
  list(APPEND by_pointer ${p})
endforeach()
set(by_thunk "")
foreach(t ${thunks})
  string(REGEX REPLACE "^T ${c_prefix}" "" t "${t}")
  list(APPEND by_thunk ${t})
endforeach()
list(SORT by_pointer)
list(SORT by_thunk)
if(NOT by_pointer STREQUAL expected OR NOT by_thunk STREQUAL expected)
  list(LENGTH by_pointer n)
  message(FATAL_ERROR "the .lib names ${n} imports, not exactly the .def's 124:\n${by_pointer}")
endif()
# The names the DLL is asked for at load time carry no decoration.
run(${OBJDUMP} -s -j .idata$6 ${PACKAGE}/lib/${base}.lib)
if(output MATCHES " _Kolvex_|@[0-9]")
  message(FATAL_ERROR "the .lib binds decorated names")
endif()

set(system_dlls advapi32.dll comctl32.dll gdi32.dll kernel32.dll msvcrt.dll user32.dll winmm.dll
  shell32.dll ole32.dll oleaut32.dll)
# The DLL needs only Windows; the filter also the SDK's DLL beside it.
foreach(binary ${base}.dll KolvexCapture.ax)
  run(${OBJDUMP} -p ${PACKAGE}/bin/${binary})
  if(binary MATCHES "\\.ax$")
    if(NOT output MATCHES "DllRegisterServer" OR NOT output MATCHES "DllGetClassObject")
      message(FATAL_ERROR "the filter does not export the entry points COM and regsvr32 call")
    endif()
    set(allowed ${system_dlls} ${base}.dll)
  else()
    set(allowed ${system_dlls})
  endif()
  string(TOLOWER "${allowed}" allowed)
  string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${output}")
  foreach(line ${imports})
    string(REGEX REPLACE "DLL Name: " "" dll "${line}")
    string(STRIP "${dll}" dll)
    string(TOLOWER "${dll}" dll)
    if(NOT dll IN_LIST allowed AND NOT dll MATCHES "^api-ms-win-")
      message(FATAL_ERROR "${binary} imports ${dll}, which neither Windows nor the package provides")
    endif()
  endforeach()
  message(STATUS "${binary} imports: ${imports}")
endforeach()

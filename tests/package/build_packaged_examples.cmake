# Builds the examples of the Windows package with the MinGW lines of its
# examples/README.txt, as a developer would type them in that folder, and
# runs the snapshot example against the packaged DLL; ffprobe judges the
# picture it wrote.
#   -DPACKAGE -DEMULATOR -DWORK -DC_COMPILER -DCXX_COMPILER
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/run_command.cmake)

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(COPY ${PACKAGE}/ DESTINATION ${WORK}/sdk)
set(examples ${WORK}/sdk/examples)
file(STRINGS ${examples}/README.txt lines REGEX "^  ([a-z0-9_]+-w64-mingw32-|cp )")
set(built 0)
foreach(line IN LISTS lines)
  string(STRIP "${line}" line)
  separate_arguments(command UNIX_COMMAND "${line}")
  list(POP_FRONT command program)
  if(program STREQUAL "cp")
    list(GET command 0 from)
    file(COPY ${examples}/${from} DESTINATION ${examples})
    continue()
  endif()
  # This build's own cross compilers stand in for the names in the README.
  if(program MATCHES "g\\+\\+$")
    set(program ${CXX_COMPILER})
  else()
    set(program ${C_COMPILER})
  endif()
  execute_process(COMMAND ${program} ${command} WORKING_DIRECTORY ${examples} RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${line}\n${err}")
  endif()
  math(EXPR built "${built} + 1")
endforeach()
if(NOT built EQUAL 4 OR NOT EXISTS ${examples}/KolvexSdk_410QFX_ZQP.dll)
  message(FATAL_ERROR "the README builds ${built} examples, not 4, or does not copy the DLL")
endif()

set(ENV{KOLVEX_SIMULATOR} 0)
execute_process(COMMAND ${EMULATOR} ${examples}/snapshot.exe shot.bmp WORKING_DIRECTORY ${examples}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
run(ffprobe -v error -show_entries stream=codec_name,width,height -of csv=p=0 ${examples}/shot.bmp)
if(NOT rc EQUAL 0 OR NOT output MATCHES "^bmp,2048,1536")
  message(FATAL_ERROR "snapshot.exe (${rc}): ${out}${err}\nffprobe: ${output}")
endif()
message(STATUS "${out}ffprobe: ${output}")
file(REMOVE_RECURSE ${WORK})

# Runs an example program the way a user would and judges what it made.
#   -DPROGRAM=path [-DEMULATOR=wine] [-DARGS=a|b] [-DEXPECT=regex|...]
#   [-DPULSER=kolvex_test_child]   pipe the program into the child's
#                                  pulse-while-input, which fires the virtual
#                                  trigger until the program ends
#   [-DPROBE=file -DPROBED=regex]  ffprobe's view of a file the program wrote
#   [-DINCREASING=regex]           the numbers its group 1 captures in the output rise
#   [-DSAME=regex]                 the numbers its group 1 captures are all equal
# Items of ARGS and EXPECT are separated by "|"; \n in EXPECT is a line break.
cmake_minimum_required(VERSION 3.25)
string(REPLACE "|" ";" ARGS "${ARGS}")
string(REPLACE "|" ";" EXPECT "${EXPECT}")
string(REPLACE "\\n" "\n" EXPECT "${EXPECT}")
get_filename_component(name ${PROGRAM} NAME_WE)
set(work ${CMAKE_CURRENT_BINARY_DIR}/example-${name})
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work})
set(ENV{KOLVEX_SETTINGS_FILE} ${work}/settings.reg)

set(pipe "")
if(DEFINED PULSER)
  set(pipe COMMAND ${EMULATOR} ${PULSER} pulse-while-input 0)
endif()
execute_process(COMMAND ${EMULATOR} ${PROGRAM} ${ARGS} ${pipe} WORKING_DIRECTORY ${work}
  RESULTS_VARIABLE results OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 120)
# Windows programs end their lines with CR LF.
string(REPLACE "\r" "" out "${out}${err}")
message("${out}")

set(failure "")
foreach(rc ${results})
  if(NOT rc EQUAL 0)
    set(failure "exit status ${results}")
  endif()
endforeach()
foreach(pattern ${EXPECT})
  if(NOT failure AND NOT out MATCHES "${pattern}")
    set(failure "missing: ${pattern}")
  endif()
endforeach()
# Each number that group 1 of `regex` captures must stand in `relation`
# to the one before it.
function(compare_captures regex relation)
  string(REGEX MATCHALL "${regex}" matches "${out}")
  set(previous "")
  foreach(match ${matches})
    string(REGEX REPLACE "${regex}" "\\1" value "${match}")
    if(NOT previous STREQUAL "" AND NOT value ${relation} previous)
      set(failure "${value} after ${previous}: not ${relation} (${regex})" PARENT_SCOPE)
    endif()
    set(previous ${value})
  endforeach()
endfunction()
if(NOT failure AND DEFINED INCREASING)
  compare_captures("${INCREASING}" GREATER)
endif()
if(NOT failure AND DEFINED SAME)
  compare_captures("${SAME}" EQUAL)
endif()
if(NOT failure AND DEFINED PROBE)
  execute_process(COMMAND ffprobe -v error -show_entries stream=codec_name,width,height,pix_fmt -of csv=p=0
    ${work}/${PROBE} RESULT_VARIABLE rc OUTPUT_VARIABLE probed ERROR_VARIABLE probe_err)
  if(NOT rc EQUAL 0 OR NOT probed MATCHES "${PROBED}")
    set(failure "ffprobe on ${PROBE}: ${probed}${probe_err}, expected ${PROBED}")
  endif()
endif()
file(REMOVE_RECURSE ${work})
if(failure)
  message(FATAL_ERROR "${failure}")
endif()

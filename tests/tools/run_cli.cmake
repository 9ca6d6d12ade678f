# Runs kolvex-cli and checks its exit status and what it printed.
#   -DCLI=path [-DEMULATOR=wine] -DARGS="a;b" [-DSIMULATOR=value]
#   -DEXIT=n [-DEXPECT=regex ...] [-DREJECT=regex]
#   [-DFILE_SIZE_LIMIT=blocks] (the shell's ulimit -f) [-DMAX_SECONDS=n]
# EXPECT and REJECT are matched against stdout and stderr together; items
# of ARGS and EXPECT are separated by "|".
cmake_minimum_required(VERSION 3.25)
string(REPLACE "|" ";" ARGS "${ARGS}")
string(REPLACE "|" ";" EXPECT "${EXPECT}")
if(DEFINED SIMULATOR)
  set(ENV{KOLVEX_SIMULATOR} "${SIMULATOR}")
endif()
set(work ${CMAKE_CURRENT_BINARY_DIR}/cli-run-${NAME})
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work})
set(ENV{KOLVEX_SETTINGS_FILE} ${work}/settings.reg)
set(command ${EMULATOR} ${CLI} ${ARGS})
if(DEFINED FILE_SIZE_LIMIT)
  # Wine's process cannot ignore SIGXFSZ as kolvex-cli does on Linux, so
  # the shell does it for whatever it starts.
  set(command sh -c "trap '' XFSZ && ulimit -f ${FILE_SIZE_LIMIT} && exec \"$@\"" sh ${command})
endif()
string(TIMESTAMP started "%s")
execute_process(COMMAND ${command} WORKING_DIRECTORY ${work}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 120)
string(TIMESTAMP ended "%s")
file(REMOVE_RECURSE ${work})
set(all "${out}${err}")
message("${all}")
if(NOT rc EQUAL EXIT)
  message(FATAL_ERROR "exit status ${rc}, expected ${EXIT}")
endif()
foreach(pattern ${EXPECT})
  if(NOT all MATCHES "${pattern}")
    message(FATAL_ERROR "missing: ${pattern}")
  endif()
endforeach()
if(DEFINED REJECT AND all MATCHES "${REJECT}")
  message(FATAL_ERROR "should not print: ${REJECT}")
endif()
math(EXPR took "${ended} - ${started}")
if(DEFINED MAX_SECONDS AND took GREATER MAX_SECONDS)
  message(FATAL_ERROR "took ${took} s, more than ${MAX_SECONDS}")
endif()

# Runs kolvex-cli and checks its exit status and what it printed.
#   -DCLI=path [-DEMULATOR=wine] -DARGS="a;b" [-DSIMULATOR=value]
#   -DEXIT=n [-DEXPECT=regex ...] [-DREJECT=regex]
#   [-DFILE_SIZE_LIMIT=blocks] (the shell's ulimit -f) [-DMAX_SECONDS=n]
# ARGS may hold several runs separated by "&&", one after the other in one
# folder with one settings file: each but the last must succeed, the last
# must end with EXIT. EXPECT and REJECT are matched against what all runs
# printed, stdout and stderr together; items of ARGS and EXPECT are
# separated by "|", and \n in them stands for a line break (a real one
# would end the command line's definitions early).
cmake_minimum_required(VERSION 3.25)
string(REPLACE "|" ";" ARGS "${ARGS}")
string(REPLACE "|" ";" EXPECT "${EXPECT}")
string(REPLACE "\\n" "\n" EXPECT "${EXPECT}")
if(DEFINED REJECT)
  string(REPLACE "\\n" "\n" REJECT "${REJECT}")
endif()
if(DEFINED SIMULATOR)
  set(ENV{KOLVEX_SIMULATOR} "${SIMULATOR}")
endif()
set(work ${CMAKE_CURRENT_BINARY_DIR}/cli-run-${NAME})
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work})
set(ENV{KOLVEX_SETTINGS_FILE} ${work}/settings.reg)
string(TIMESTAMP started "%s")
set(all "")
set(run "")
list(APPEND ARGS "&&")
list(LENGTH ARGS length)
math(EXPR last_end "${length} - 1")
set(at -1)
foreach(arg IN LISTS ARGS)
  math(EXPR at "${at} + 1")
  if(NOT arg STREQUAL "&&")
    list(APPEND run "${arg}")
    continue()
  endif()
  set(command ${EMULATOR} ${CLI} ${run})
  if(DEFINED FILE_SIZE_LIMIT)
    # Wine's process cannot ignore SIGXFSZ as kolvex-cli does on Linux, so
    # the shell does it for whatever it starts.
    set(command sh -c "trap '' XFSZ && ulimit -f ${FILE_SIZE_LIMIT} && exec \"$@\"" sh ${command})
  endif()
  execute_process(COMMAND ${command} WORKING_DIRECTORY ${work}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 120)
  string(APPEND all "${out}${err}")
  list(JOIN run " " shown)
  set(run "")
  if(NOT rc EQUAL 0 AND NOT at EQUAL last_end)
    file(REMOVE_RECURSE ${work})
    message("${all}")
    message(FATAL_ERROR "kolvex-cli ${shown} failed (exit status ${rc}) before the last run")
  endif()
endforeach()
string(TIMESTAMP ended "%s")
file(REMOVE_RECURSE ${work})
# Windows programs end their lines with CR LF.
string(REPLACE "\r" "" all "${all}")
message("${all}")
if(NOT rc EQUAL EXIT)
  message(FATAL_ERROR "exit status ${rc} of kolvex-cli ${shown}, expected ${EXIT}")
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

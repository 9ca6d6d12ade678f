# Builds the API reference into OUT (HTML for people, XML for this check)
# and fails on any Doxygen warning, then checks that every export of the
# .def file, and the Linux mailbox, is a described function whose
# description has a result, errors and threads.
#   -DDOXYGEN -DSOURCE_DIR -DOUT -DVERSION -DEXPORTS=name;name;...
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
file(WRITE ${OUT}/Doxyfile "@INCLUDE = ${SOURCE_DIR}/docs/Doxyfile\nOUTPUT_DIRECTORY = ${OUT}\nPROJECT_NUMBER = ${VERSION}\n")
execute_process(COMMAND ${DOXYGEN} ${OUT}/Doxyfile WORKING_DIRECTORY ${SOURCE_DIR}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT err STREQUAL "")
  message(FATAL_ERROR "doxygen (${rc}):\n${out}${err}")
endif()

set(described "")
set(incomplete "")
foreach(header KolvexSdk_8h KolvexSdkLinux_8h)
  file(READ ${OUT}/xml/${header}.xml xml)
  # One list item per function: what lies between one function's opening
  # tag and the next (the XML's own semicolons would split it too).
  string(REPLACE ";" "," xml "${xml}")
  string(REPLACE "<memberdef kind=\"function\"" ";" functions "${xml}")
  list(POP_FRONT functions)
  foreach(function IN LISTS functions)
    string(REGEX MATCH "<name>([A-Za-z0-9_]+)</name>" _ "${function}")
    set(name ${CMAKE_MATCH_1})
    list(APPEND described ${name})
    foreach(section "<simplesect kind=\"return\">" "<title>Errors</title>" "<title>Threads</title>")
      string(FIND "${function}" "${section}" at)
      if(at EQUAL -1)
        list(APPEND incomplete "${name} lacks ${section}")
      endif()
    endforeach()
  endforeach()
endforeach()

set(expected ${EXPORTS} KolvexLinux_WaitMessage)
list(SORT expected)
list(SORT described)
if(NOT described STREQUAL expected)
  message(FATAL_ERROR "described: ${described}\nexported: ${expected}")
endif()
if(incomplete)
  list(JOIN incomplete "\n" incomplete)
  message(FATAL_ERROR "${incomplete}")
endif()
list(LENGTH described count)
message(STATUS "${count} functions described: ${OUT}/html/index.html")

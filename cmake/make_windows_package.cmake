# Assembles the Windows package folder and its zip (see WindowsPackage.cmake).
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/run_command.cmake)

file(REMOVE_RECURSE ${OUT} ${ZIP})
file(MAKE_DIRECTORY ${OUT}/bin ${OUT}/lib ${OUT}/include ${OUT}/examples)
get_filename_component(dll_name ${DLL} NAME)
get_filename_component(base ${DLL} NAME_WE)
run(${STRIP} --strip-all -o ${OUT}/bin/${dll_name} ${DLL})
run(${STRIP} --strip-all -o ${OUT}/bin/kolvex-cli.exe ${CLI})
get_filename_component(filter_name ${FILTER} NAME)
run(${STRIP} --strip-all -o ${OUT}/bin/${filter_name} ${FILTER})
# Visual Studio's linker reads this import library; the .def names the
# undecorated cdecl exports, and dlltool gives the 32-bit C names their
# leading underscore as Visual C++ expects (64-bit C names have none).
run(${DLLTOOL} --machine ${MACHINE} --input-def ${DEF} --dllname ${dll_name} --output-lib ${OUT}/lib/${base}.lib)
file(COPY_FILE ${MINGW_IMPLIB} ${OUT}/lib/lib${base}.dll.a)
file(COPY_FILE ${DEF} ${OUT}/lib/${base}.def)
file(COPY ${INCLUDE_DIR}/KolvexSdk.h ${INCLUDE_DIR}/KolvexSdkLinux.h DESTINATION ${OUT}/include)
configure_file(${README} ${OUT}/README.txt COPYONLY)
string(REPLACE "," ";" EXAMPLES "${EXAMPLES}")
file(COPY ${EXAMPLES} DESTINATION ${OUT}/examples)
configure_file(${EXAMPLES_README} ${OUT}/examples/README.txt COPYONLY)
get_filename_component(parent ${OUT} DIRECTORY)
get_filename_component(folder ${OUT} NAME)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip ${folder}
  WORKING_DIRECTORY ${parent} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot write ${ZIP}")
endif()

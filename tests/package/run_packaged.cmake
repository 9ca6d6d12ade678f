# Runs programs against the packaged DLL rather than the build's own:
#   - a test program, copied beside the packaged DLL so that it loads that one;
#   - the C consumer, built against the package's headers with each import
#     library in turn (the Visual Studio .lib through MinGW's linker, which
#     reads the same format).
#   -DPACKAGE -DEMULATOR -DWORK -DC_COMPILER -DCONSUMER -DPROGRAM (optional)
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/run_command.cmake)

set(base KolvexSdk_410QFX_ZQP)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(COPY ${PACKAGE}/bin/${base}.dll DESTINATION ${WORK})
set(ENV{KOLVEX_SIMULATOR} 0)

if(DEFINED PROGRAM)
  file(COPY ${PROGRAM} DESTINATION ${WORK})
  get_filename_component(name ${PROGRAM} NAME)
  run(${EMULATOR} ${WORK}/${name})
  message(STATUS "${output}")
else()
  foreach(lib ${base}.lib lib${base}.dll.a)
    run(${C_COMPILER} -I${PACKAGE}/include ${CONSUMER} ${PACKAGE}/lib/${lib} -o ${WORK}/consumer.exe)
    run(${EMULATOR} ${WORK}/consumer.exe)
    if(NOT output MATCHES "version 28443935\r?\ncameras 1\r?\nfirst Kolvex410QFX-ZQP_[0-9][0-9]")
      message(FATAL_ERROR "consumer linked with ${lib} printed:\n${output}")
    endif()
    message(STATUS "${lib}: ${output}")
  endforeach()
endif()
file(REMOVE_RECURSE ${WORK})

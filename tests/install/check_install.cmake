# Installs the build tree into a fresh prefix, then builds a small C program
# against it twice, with find_package(KolvexSdk) and with pkg-config, and
# runs both builds on the virtual camera. The examples folder builds against
# it too, as a copy of it outside the tree would.
#   -DBUILD_DIR -DSOURCE_DIR -DWORK -DC_COMPILER -DCXX_COMPILER -DC_FLAGS -DCXX_FLAGS -DLINK_FLAGS
#   -DVERSION -DEXAMPLES
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/run_command.cmake)

function(check_consumer program how)
  set(ENV{KOLVEX_SIMULATOR} 0)
  set(ENV{KOLVEX_SETTINGS_FILE} ${WORK}/settings.reg)
  run(${program})
  if(NOT output MATCHES "version ${VERSION}\ncameras 1\nfirst Kolvex410QFX-ZQP_[0-9][0-9]
")
    message(FATAL_ERROR "${how} consumer printed:\n${output}")
  endif()
  message(STATUS "${how}: ${output}")
endfunction()

file(REMOVE_RECURSE ${WORK})
set(prefix ${WORK}/prefix)
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
foreach(f include/KolvexSdk.h include/KolvexSdkLinux.h lib/libKolvexSdk_410QFX_ZQP.so bin/kolvex-cli
    lib/cmake/KolvexSdk/KolvexSdkConfig.cmake lib/pkgconfig/KolvexSdk.pc)
  if(NOT EXISTS ${prefix}/${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()

# The CMake package.
run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/consumer -B ${WORK}/cmake-build -G Ninja
  -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_C_COMPILER=${C_COMPILER}
  "-DCMAKE_C_FLAGS=${C_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${LINK_FLAGS}")
run(${CMAKE_COMMAND} --build ${WORK}/cmake-build)
check_consumer(${WORK}/cmake-build/consumer "find_package")
run(${CMAKE_COMMAND} -S ${EXAMPLES} -B ${WORK}/examples-build -G Ninja
  -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_C_COMPILER=${C_COMPILER} -DCMAKE_CXX_COMPILER=${CXX_COMPILER}
  "-DCMAKE_C_FLAGS=${C_FLAGS}" "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${LINK_FLAGS}")
run(${CMAKE_COMMAND} --build ${WORK}/examples-build)

# pkg-config, from a prefix moved elsewhere: the file finds its own prefix.
file(RENAME ${prefix} ${WORK}/moved)
set(ENV{PKG_CONFIG_PATH} ${WORK}/moved/lib/pkgconfig)
run(pkg-config --cflags --libs KolvexSdk)
string(STRIP "${output}" pc_flags)
separate_arguments(pc_flags UNIX_COMMAND "${pc_flags}")
separate_arguments(c_flags UNIX_COMMAND "${C_FLAGS} ${LINK_FLAGS}")
run(${C_COMPILER} ${c_flags} ${SOURCE_DIR}/consumer/consumer.c ${pc_flags}
  -Wl,-rpath,${WORK}/moved/lib -o ${WORK}/pc-consumer)
check_consumer(${WORK}/pc-consumer "pkg-config")

file(REMOVE_RECURSE ${WORK})

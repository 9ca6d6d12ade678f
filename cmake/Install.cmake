# What `cmake --install` puts into the prefix: the library, the public
# headers, kolvex-cli, a CMake package (find_package(KolvexSdk) gives
# KolvexSdk::KolvexSdk) and a pkg-config file (KolvexSdk.pc).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(KOLVEX_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/KolvexSdk)

# Consumers find the headers in the tree while building, in the prefix
# once installed.
set_target_properties(kolvex_sdk PROPERTIES
  EXPORT_NAME KolvexSdk
  INTERFACE_INCLUDE_DIRECTORIES
    "$<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>;$<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>")

install(TARGETS kolvex_sdk EXPORT KolvexSdkTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/KolvexSdk.h ${PROJECT_SOURCE_DIR}/include/KolvexSdkLinux.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
if(TARGET kolvex-cli)
  set_target_properties(kolvex-cli PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
  install(TARGETS kolvex-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(EXPORT KolvexSdkTargets NAMESPACE KolvexSdk:: DESTINATION ${KOLVEX_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/KolvexSdkConfig.cmake.in
  ${PROJECT_BINARY_DIR}/install-files/KolvexSdkConfig.cmake INSTALL_DESTINATION ${KOLVEX_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/install-files/KolvexSdkConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/install-files/KolvexSdkConfig.cmake
  ${PROJECT_BINARY_DIR}/install-files/KolvexSdkConfigVersion.cmake DESTINATION ${KOLVEX_CMAKE_DIR})

# pkg-config file, relocatable through ${pcfiledir}.
file(RELATIVE_PATH KOLVEX_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" KOLVEX_PC_TO_PREFIX "${KOLVEX_PC_TO_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/KolvexSdk.pc.in ${PROJECT_BINARY_DIR}/install-files/KolvexSdk.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/install-files/KolvexSdk.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

if(WIN32 AND TARGET kolvex-cli)
  include(${CMAKE_CURRENT_LIST_DIR}/WindowsPackage.cmake)
endif()

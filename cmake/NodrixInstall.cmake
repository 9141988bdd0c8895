# What `cmake --install` puts into a prefix, and the CMake and pkg-config
# files that let another project find it:
#
#   include/NodrixSdk.h, include/NodrixSdkEx.h
#   lib/libnodrix.so.1.0.0 (+ the .so.1 and .so links)     natively
#   bin/NodrixSdk_T520_USB3.dll, lib/libNodrixSdk_T520_USB3.dll.a (mingw),
#   lib/NodrixSdk_T520_USB3.lib (Microsoft linker)         on Windows
#   bin/nodrix[.exe]                                        the tool
#   lib/cmake/NodrixSdk/                                    find_package(NodrixSdk)
#   lib/pkgconfig/nodrix.pc                                 pkg-config nodrix
#   lib/udev/rules.d/70-nodrix-t520.rules                   natively: camera access
#   share/doc/NodrixSdk/                                    guide, examples
include(CMakePackageConfigHelpers)

set(NODRIX_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/NodrixSdk)

install(TARGETS nodrix EXPORT NodrixSdkTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES include/NodrixSdk.h include/NodrixSdkEx.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
if(NODRIX_MSVC_IMPLIB)
  install(FILES ${NODRIX_MSVC_IMPLIB} DESTINATION ${CMAKE_INSTALL_LIBDIR})
endif()
if(TARGET nodrix_tool)
  if(NOT WIN32)
    set_target_properties(nodrix_tool PROPERTIES
      INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
  endif()
  install(TARGETS nodrix_tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(EXPORT NodrixSdkTargets NAMESPACE NodrixSdk::
  DESTINATION ${NODRIX_CMAKE_DIR})
configure_package_config_file(cmake/NodrixSdkConfig.cmake.in
  ${PROJECT_BINARY_DIR}/NodrixSdkConfig.cmake
  INSTALL_DESTINATION ${NODRIX_CMAKE_DIR})
# 1.x programs keep working with any later 1.y library; 2.0 would not.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/NodrixSdkConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/NodrixSdkConfig.cmake
  ${PROJECT_BINARY_DIR}/NodrixSdkConfigVersion.cmake
  DESTINATION ${NODRIX_CMAKE_DIR})

# The .pc file finds its prefix from its own place, so the same file serves
# an installed package, a copied SDK and a package unpacked anywhere.
file(RELATIVE_PATH NODRIX_PC_TO_PREFIX
  ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" NODRIX_PC_TO_PREFIX "${NODRIX_PC_TO_PREFIX}")
if(WIN32)
  set(NODRIX_PC_LIBNAME NodrixSdk_T520_USB3)
else()
  set(NODRIX_PC_LIBNAME nodrix)
endif()
configure_file(cmake/nodrix.pc.in ${PROJECT_BINARY_DIR}/nodrix.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/nodrix.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The device rules that let users open the camera's USB device file.
if(NOT WIN32)
  set(NODRIX_UDEV_RULES_DIR "lib/udev/rules.d" CACHE STRING
      "Where the udev rules are installed (relative to the install prefix)")
  install(FILES packaging/linux/70-nodrix-t520.rules DESTINATION ${NODRIX_UDEV_RULES_DIR})
endif()

install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR} PATTERN Doxyfile EXCLUDE)
if(EXISTS ${PROJECT_SOURCE_DIR}/examples)
  install(DIRECTORY examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
endif()

include(cmake/NodrixPackage.cmake)

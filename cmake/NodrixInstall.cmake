# What `cmake --install` puts into a prefix, and the CMake and pkg-config
# files that let another project find it:
#
#   include/NodrixSdk.h, include/NodrixSdkEx.h
#   lib/libnodrix.so.1.0.0 (+ the .so.1 and .so links)     natively
#   bin/NodrixSdk_T520_USB3.dll, lib/libNodrixSdk_T520_USB3.dll.a (mingw),
#   lib/NodrixSdk_T520_USB3.lib (Microsoft linker)         on Windows
#   bin/nodrix[.exe]                                        the tool
#   share/man/man1/nodrix.1.gz, share/bash-completion/completions/nodrix
#                                                           natively: its manual, completion
#   lib/cmake/NodrixSdk/                                    find_package(NodrixSdk)
#   lib/pkgconfig/nodrix.pc                                 pkg-config nodrix
#   lib/udev/rules.d/70-nodrix-t520.rules                   natively: camera access
#   share/doc/NodrixSdk/                                    guide, examples
#   share/doc/nodrix-sdk/copyright, changelog.gz            natively: as Debian wants them
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
  if(NODRIX_MAN_PAGE)
    install(FILES ${NODRIX_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
  if(NOT WIN32)
    install(FILES tools/nodrix/completion/nodrix.bash
      DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME nodrix)
  endif()
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
# Natively a program linked with these flags finds the library at run time
# in the prefix it was linked against (an rpath), wherever the SDK was
# installed, with no LD_LIBRARY_PATH.
if(WIN32)
  set(NODRIX_PC_LIBNAME NodrixSdk_T520_USB3)
  set(NODRIX_PC_RPATH "")
else()
  set(NODRIX_PC_LIBNAME nodrix)
  set(NODRIX_PC_RPATH "-Wl,-rpath,\${libdir} ")
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

# The package's copyright and changelog where Debian looks for them.
if(NOT WIN32)
  set(NODRIX_DEB_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/nodrix-sdk)
  configure_file(packaging/debian/changelog.in ${PROJECT_BINARY_DIR}/changelog @ONLY)
  find_program(NODRIX_GZIP gzip)
  if(NODRIX_GZIP)
    execute_process(COMMAND ${NODRIX_GZIP} -9nc ${PROJECT_BINARY_DIR}/changelog
                    OUTPUT_FILE ${PROJECT_BINARY_DIR}/changelog.gz)
    install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${NODRIX_DEB_DOCDIR})
  endif()
  install(FILES packaging/debian/copyright DESTINATION ${NODRIX_DEB_DOCDIR})
else()
  install(FILES packaging/debian/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR} PATTERN Doxyfile EXCLUDE)
if(EXISTS ${PROJECT_SOURCE_DIR}/examples)
  install(DIRECTORY examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
endif()

include(cmake/NodrixPackage.cmake)

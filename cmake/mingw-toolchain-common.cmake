# The mingw-w64 cross toolchain of both Windows builds (posix thread model,
# so std::thread and friends are available). The including file sets
# CMAKE_SYSTEM_PROCESSOR (i686 or x86_64).
set(CMAKE_SYSTEM_NAME Windows)
set(TOOLCHAIN_PREFIX ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The Windows builds of libjpeg, libpng, libtiff, zlib and googletest that
# scripts/bootstrap makes live in one prefix.
if(DEFINED NODRIX_WIN32_DEPS)
  list(APPEND CMAKE_FIND_ROOT_PATH ${NODRIX_WIN32_DEPS})
  list(APPEND CMAKE_PREFIX_PATH ${NODRIX_WIN32_DEPS})
endif()

# Link zlib statically: the mingw root also holds an import library for
# zlib1.dll, which the DLL must not depend on.
set(ZLIB_USE_STATIC_LIBS ON)

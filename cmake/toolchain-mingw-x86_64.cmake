# Cross-compiles the 64-bit Windows build. The SDK ships as a 32-bit DLL;
# this build runs the Windows tests where 32-bit programs cannot run.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain-common.cmake)

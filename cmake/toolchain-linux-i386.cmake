# The native library built for 32-bit x86 Linux on a 64-bit Debian machine:
# the host compiler with -m32 (g++-multilib) and Debian's i386 multiarch
# packages of the image libraries, libusb and GoogleTest. Pointers, size_t
# and long are 32 bits wide here, as in the DLL as it ships, so the native
# tests catch what only a 32-bit build can break.
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT -m32)
set(CMAKE_CXX_FLAGS_INIT -m32)
set(CMAKE_EXE_LINKER_FLAGS_INIT -m32)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -m32)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -m32)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
# Only the i386 pkg-config files: the amd64 ones sit in the default path.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/i386-linux-gnu/pkgconfig:/usr/share/pkgconfig)

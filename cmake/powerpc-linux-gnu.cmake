# Cross build for 32-bit big-endian PowerPC with Debian's powerpc-linux-gnu
# toolchain (g++-powerpc-linux-gnu). Test programs run under qemu-user, so ctest
# works as in a native build. Use with -DORVALIS_CORE_ONLY=ON: the drawing parts
# need libraries that Debian 12 does not ship for this processor.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR powerpc)

set(CMAKE_C_COMPILER powerpc-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER powerpc-linux-gnu-g++)

# The target's C library and kernel headers live here (libc6-dev-powerpc-cross).
set(ORVALIS_PPC_SYSROOT /usr/powerpc-linux-gnu CACHE PATH "Target libraries of the powerpc-linux-gnu toolchain")
set(CMAKE_FIND_ROOT_PATH ${ORVALIS_PPC_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# qemu-ppc finds the target's dynamic loader and libraries through -L.
find_program(ORVALIS_QEMU_PPC NAMES qemu-ppc qemu-ppc-static REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${ORVALIS_QEMU_PPC} -L ${ORVALIS_PPC_SYSROOT})

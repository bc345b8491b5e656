# Cross-builds for 64-bit ARM Linux with Debian's GNU cross toolchain
# (g++-aarch64-linux-gnu), and runs what it builds under qemu-user.

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

# Libraries, headers and CMake packages come from the target's tree only, so
# that nothing built for the build machine (its GoogleTest or Google
# Benchmark) is linked in; tools still come from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest and gtest_discover_tests run the test programs through this, so the
# tests pass without binfmt_misc being set up for ARM binaries. -L points the
# emulator at the target's dynamic loader and C library.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L /usr/aarch64-linux-gnu)

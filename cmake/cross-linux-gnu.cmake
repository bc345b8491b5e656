# Cross-builds for a Linux target with Debian's GNU cross toolchain
# (g++-<triplet>), and runs what it builds under qemu-user. A preset names the
# target and its emulator:
#   MEGAWHETS_TARGET  the GNU triplet, for example arm-linux-gnueabihf
#   MEGAWHETS_QEMU    the qemu-user program for it, for example qemu-arm

# try_compile projects read this file again, without the cache; they get the
# two settings passed on.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MEGAWHETS_TARGET MEGAWHETS_QEMU)
if(NOT MEGAWHETS_TARGET OR NOT MEGAWHETS_QEMU)
  message(FATAL_ERROR "cross-linux-gnu.cmake needs MEGAWHETS_TARGET and MEGAWHETS_QEMU")
endif()

set(CMAKE_SYSTEM_NAME Linux)
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR "${MEGAWHETS_TARGET}")

set(CMAKE_C_COMPILER ${MEGAWHETS_TARGET}-gcc)
set(CMAKE_CXX_COMPILER ${MEGAWHETS_TARGET}-g++)

# Libraries, headers and CMake packages come from the target's tree only, so
# that nothing built for the build machine (its GoogleTest or Google
# Benchmark) is linked in; tools still come from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${MEGAWHETS_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest and gtest_discover_tests run the test programs through this, so the
# tests pass without binfmt_misc being set up for the target. -L points the
# emulator at the target's dynamic loader and C library.
set(CMAKE_CROSSCOMPILING_EMULATOR ${MEGAWHETS_QEMU} -L /usr/${MEGAWHETS_TARGET})

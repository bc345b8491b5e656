# Cross-builds 64-bit Windows programs with Debian's mingw-w64 toolchain
# (g++-mingw-w64-x86-64-posix), and runs what it builds under Wine.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The posix flavour, because GoogleTest needs std::thread and std::mutex,
# which the win32 flavour's libstdc++ lacks.
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Libraries, headers and CMake packages come from the target's tree only;
# tools still come from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest and gtest_discover_tests run the programs through this: Wine, in a
# prefix of the build's own so that no user's Windows setup is touched.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-emulator.sh ${CMAKE_BINARY_DIR}/wine-prefix)

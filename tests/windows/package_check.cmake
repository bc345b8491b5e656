# Makes the zip as cpack would for a release, unpacks it, and checks that it
# holds the README, the LICENSE and a megawhets.exe that imports nothing but
# Windows' own DLLs, so that it runs on a Windows machine with nothing else
# installed.
# Run with -DBUILD_DIR=... -DSCRATCH=... -DPACKAGE=megawhets-<version>-win64

cmake_minimum_required(VERSION 3.25)

find_program(WINDOWS_OBJDUMP x86_64-w64-mingw32-objdump REQUIRED)
# Part of every Windows installation. Without -static the .exe would also
# import libstdc++-6.dll, libgcc_s_seh-1.dll and libwinpthread-1.dll.
set(system_dlls kernel32.dll msvcrt.dll advapi32.dll user32.dll ntdll.dll)

file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}")
execute_process(COMMAND ${CMAKE_CPACK_COMMAND} -G ZIP --config "${BUILD_DIR}/CPackConfig.cmake" -B "${SCRATCH}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR NOT EXISTS "${SCRATCH}/${PACKAGE}.zip")
  message(FATAL_ERROR "cpack made no ${PACKAGE}.zip:\n${output}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf "${PACKAGE}.zip" WORKING_DIRECTORY "${SCRATCH}")
file(GLOB_RECURSE packed RELATIVE "${SCRATCH}/${PACKAGE}" "${SCRATCH}/${PACKAGE}/*")
list(SORT packed)
if(NOT packed STREQUAL "LICENSE.txt;README.txt;megawhets.exe")
  message(FATAL_ERROR "${PACKAGE}.zip holds [${packed}], not [LICENSE.txt;README.txt;megawhets.exe] in ${PACKAGE}/")
endif()

execute_process(COMMAND ${WINDOWS_OBJDUMP} -p "${SCRATCH}/${PACKAGE}/megawhets.exe" OUTPUT_VARIABLE headers)
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
list(TRANSFORM imports REPLACE "DLL Name: " "")
message(STATUS "megawhets.exe imports: ${imports}")
if(NOT imports)
  message(FATAL_ERROR "objdump found no imports in megawhets.exe")
endif()
foreach(dll IN LISTS imports)
  string(TOLOWER "${dll}" name)
  if(NOT name IN_LIST system_dlls)
    message(FATAL_ERROR "megawhets.exe imports ${dll}, which a bare Windows machine does not have")
  endif()
endforeach()
file(REMOVE_RECURSE "${SCRATCH}")

# Unpacks a release archive and checks that it holds the program, its manual
# page, a README and the LICENSE in one folder, and that the program runs with no library
# of the target's at all: on another architecture it runs under qemu-user
# without -L, which finds no dynamic loader, so only a static program starts.
# Run with -DARCHIVE=... -DSCRATCH=... [-DEMULATOR=qemu-<arch>]
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/../run_check.cmake)

get_filename_component(name "${ARCHIVE}" NAME)
string(REGEX REPLACE "\\.tar\\.gz$" "" folder "${name}")
file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}")
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xzf "${ARCHIVE}" WORKING_DIRECTORY "${SCRATCH}"
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cannot unpack ${ARCHIVE}")
endif()
file(GLOB_RECURSE packed RELATIVE "${SCRATCH}" "${SCRATCH}/*")
list(SORT packed)
set(expected "${folder}/LICENSE;${folder}/README;${folder}/megawhets;${folder}/megawhets.1")
if(NOT packed STREQUAL expected)
  message(FATAL_ERROR "${name} holds [${packed}], not [${expected}]")
endif()

unset(ENV{QEMU_LD_PREFIX})
megawhets_run_check(${EMULATOR} "${SCRATCH}/${folder}/megawhets")
file(REMOVE_RECURSE "${SCRATCH}")

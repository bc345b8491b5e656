# Checks a Debian package: lintian finds no error or warning; it holds what
# a user looks for; its Depends names the packages dpkg-shlibdeps finds for
# the program (on the build machine's architecture, the same versions too);
# and the program it unpacks to runs, on another architecture under
# qemu-user with the target's C library.
# It names the maintainer the release build was given.
# Run with -DPACKAGE=....deb -DTRIPLET=... -DSCRATCH=... -DMAINTAINER=...
# [-DEMULATOR=qemu-<arch>]
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/../run_check.cmake)

find_program(LINTIAN lintian REQUIRED)
find_program(DPKG_DEB dpkg-deb REQUIRED)
find_program(DPKG_SHLIBDEPS dpkg-shlibdeps REQUIRED)

execute_process(COMMAND ${LINTIAN} --fail-on error,warning --display-info "${PACKAGE}"
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
message(STATUS "lintian ${PACKAGE}: ${result}\n${out}")
if(NOT result EQUAL 0)
  message(FATAL_ERROR "lintian finds errors or warnings in ${PACKAGE}")
endif()

execute_process(COMMAND ${DPKG_DEB} --contents "${PACKAGE}" OUTPUT_VARIABLE contents)
foreach(path usr/bin/megawhets usr/share/man/man1/megawhets.1.gz usr/share/doc/megawhets/copyright
             usr/share/doc/megawhets/changelog.gz usr/share/doc/megawhets/examples/fleet.sbatch)
  if(NOT contents MATCHES " \\./${path}\n")
    message(FATAL_ERROR "${PACKAGE} has no /${path}:\n${contents}")
  endif()
endforeach()

# The test programs with a drag are never packed.
if(contents MATCHES "drag")
  message(FATAL_ERROR "${PACKAGE} holds a test program with a drag:\n${contents}")
endif()

file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}/debian")
execute_process(COMMAND ${DPKG_DEB} -x "${PACKAGE}" "${SCRATCH}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "dpkg-deb cannot unpack ${PACKAGE}")
endif()
execute_process(COMMAND ${DPKG_DEB} --field "${PACKAGE}" Architecture Depends Section Maintainer
                OUTPUT_VARIABLE fields)
message(STATUS "${fields}")
string(REGEX MATCH "Architecture: ([^\n]*)" _ "${fields}")
set(architecture "${CMAKE_MATCH_1}")
string(REGEX MATCH "Depends: ([^\n]*)" _ "${fields}")
set(depends "${CMAKE_MATCH_1}")
if(NOT fields MATCHES "Maintainer: ([^\n]*)" OR NOT CMAKE_MATCH_1 STREQUAL MAINTAINER)
  message(FATAL_ERROR "${PACKAGE} names '${CMAKE_MATCH_1}' as its maintainer, not '${MAINTAINER}'")
endif()
if(NOT fields MATCHES "Section: utils\n")
  message(FATAL_ERROR "${PACKAGE} is not in the utils section")
endif()

# dpkg-shlibdeps reads the symbols files of the libraries' packages. A cross
# target's libraries come in the build machine's packages (libc6-arm64-cross),
# whose shlibs files ask for the newest C library and any C++ library; so
# there only the packages' names must agree.
file(WRITE "${SCRATCH}/debian/control" "Source: megawhets\n\nPackage: megawhets\nArchitecture: any\n")
if(EMULATOR)
  set(ENV{DEB_HOST_ARCH} ${architecture})
  set(library_path -l/usr/${TRIPLET}/lib)
endif()
execute_process(COMMAND ${DPKG_SHLIBDEPS} -O ${library_path} -e usr/bin/megawhets
                WORKING_DIRECTORY "${SCRATCH}" OUTPUT_VARIABLE expected ERROR_VARIABLE warnings
                OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE result)
string(REGEX REPLACE "^shlibs:Depends=" "" expected "${expected}")
string(REGEX REPLACE "(:${architecture}|-${architecture}-cross)" "" expected "${expected}")
set(compared_depends "${depends}")
if(EMULATOR)
  string(REGEX REPLACE " \\([^)]*\\)" "" expected "${expected}")
  string(REGEX REPLACE " \\([^)]*\\)" "" compared_depends "${depends}")
endif()
if(NOT result EQUAL 0 OR NOT compared_depends STREQUAL expected)
  message(FATAL_ERROR "${PACKAGE} depends on '${depends}'; dpkg-shlibdeps finds '${expected}'\n${warnings}")
endif()

if(EMULATOR)
  set(run ${EMULATOR} -L /usr/${TRIPLET})
endif()
megawhets_run_check(${run} "${SCRATCH}/usr/bin/megawhets")
file(REMOVE_RECURSE "${SCRATCH}")

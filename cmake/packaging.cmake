# How a Linux build installs, and the package cpack makes of it.
#
# MEGAWHETS_PACKAGE chooses the layout:
#   (empty)  cmake --install: bin/megawhets, share/man/man1/megawhets.1, the
#            schemas in share/megawhets and the fleet scripts in
#            share/doc/megawhets/examples, where the package puts them
#   deb      a Debian package of the program as it is measured
#   archive  a .tar.gz of one statically linked program, its manual page, a
#            README and the LICENSE, to copy onto any Linux machine of the
#            architecture
# packaging/CMakeLists.txt makes both for every architecture.
set(MEGAWHETS_PACKAGE "" CACHE STRING "What cpack makes: deb, archive, or nothing")

# A schema of what the program writes, for the tools that read it, goes to
# share/megawhets, from whichever folder of the sources holds it.
file(GLOB megawhets_schemas CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/*/*.schema.json)

# The scripts that make the example records the history's guide shows, for
# a user without the source tree.
set(megawhets_example_records ${PROJECT_SOURCE_DIR}/tests/history/history_records.py
                              ${PROJECT_SOURCE_DIR}/tests/compare/synthetic_records.py)

if(MEGAWHETS_PACKAGE STREQUAL "")
  include(GNUInstallDirs)
  install(TARGETS megawhets RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES man/megawhets.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${megawhets_schemas} DESTINATION ${CMAKE_INSTALL_DATADIR}/megawhets)
  install(PROGRAMS examples/fleet.sbatch examples/fleet-ssh.sh DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
  install(PROGRAMS ${megawhets_example_records} DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
  return()
endif()

# Packages are named by Debian's name for the target, not the build machine.
include(${CMAKE_CURRENT_LIST_DIR}/debian_architecture.cmake)
megawhets_debian_architecture(MEGAWHETS_DEB_ARCH ${CMAKE_LIBRARY_ARCHITECTURE})

set(CPACK_PACKAGE_NAME megawhets)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "double-precision floating-point benchmark")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(packaging_dir ${PROJECT_SOURCE_DIR}/packaging)

# The program is stripped as Debian strips its own: of every symbol it does
# not need to run and of the compiler's comment; the code stays as built.
function(megawhets_install_stripped destination)
  install(TARGETS megawhets RUNTIME DESTINATION ${destination})
  install(CODE "execute_process(COMMAND [[${CMAKE_STRIP}]] --remove-section=.comment --remove-section=.note
                                        --strip-unneeded \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${destination}/megawhets\"
                                COMMAND_ERROR_IS_FATAL ANY)")
endfunction()

if(MEGAWHETS_PACKAGE STREQUAL "deb")
  megawhets_install_stripped(bin)

  # Debian compresses manual pages and changelogs with gzip -9n: no name or
  # time in the header, so that the same text always gives the same bytes.
  find_program(MEGAWHETS_GZIP gzip REQUIRED)
  set(doc_dir share/doc/megawhets)
  foreach(pair "man/megawhets.1;share/man/man1" "packaging/debian/changelog;${doc_dir}")
    list(GET pair 0 source)
    list(GET pair 1 destination)
    get_filename_component(name ${source} NAME)
    set(compressed ${PROJECT_BINARY_DIR}/deb/${destination}/${name}.gz)
    add_custom_command(OUTPUT ${compressed}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/deb/${destination}
                       COMMAND ${MEGAWHETS_GZIP} -9n -c ${PROJECT_SOURCE_DIR}/${source} > ${compressed}
                       DEPENDS ${PROJECT_SOURCE_DIR}/${source} VERBATIM)
    list(APPEND compressed_files ${compressed})
    install(FILES ${compressed} DESTINATION ${destination})
  endforeach()
  add_custom_target(megawhets_compressed_docs ALL DEPENDS ${compressed_files})
  # The copyright file states the licence in Debian's machine-readable
  # form, with the terms taken from LICENSE so that the two cannot differ.
  file(READ LICENSE license)
  string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" copyright_line "${license}")
  set(MEGAWHETS_COPYRIGHT ${CMAKE_MATCH_1})
  string(REGEX REPLACE "^.*Copyright[^\n]*\n\n" "" terms "${license}")
  string(STRIP "${terms}" terms)
  string(REPLACE "\n\n" "\n.\n" terms "${terms}")
  string(REPLACE "\n" "\n " MEGAWHETS_LICENSE_TERMS " ${terms}")
  configure_file(packaging/debian/copyright.in ${PROJECT_BINARY_DIR}/deb/copyright @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/deb/copyright DESTINATION ${doc_dir})
  install(FILES ${megawhets_schemas} DESTINATION share/megawhets)
  # Ways to run megawhets on a fleet, for an administrator to copy and adapt.
  install(FILES examples/fleet.sbatch examples/fleet-ssh.sh DESTINATION ${doc_dir}/examples)
  install(FILES ${megawhets_example_records} DESTINATION ${doc_dir}/examples)

  # The changelog's newest entry is this version, or the package would
  # describe another release.
  file(STRINGS packaging/debian/changelog newest LIMIT_COUNT 1)
  if(NOT newest MATCHES "^megawhets \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "packaging/debian/changelog begins '${newest}': give ${PROJECT_VERSION} an entry")
  endif()

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME megawhets_${PROJECT_VERSION}_${MEGAWHETS_DEB_ARCH}.deb)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${MEGAWHETS_DEB_ARCH})
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${MEGAWHETS_MAINTAINER})
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  file(READ packaging/debian/description CPACK_DEBIAN_PACKAGE_DESCRIPTION)
  # Depends comes from the built program's own references into the C and
  # C++ libraries, worked out when cpack runs (packaging/debian/depends.cmake).
  find_program(MEGAWHETS_OBJDUMP NAMES ${CMAKE_LIBRARY_ARCHITECTURE}-objdump objdump REQUIRED)
  file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/cpack_project_config.cmake CONTENT
       "set(MEGAWHETS_PROGRAM_FILE [[$<TARGET_FILE:megawhets>]])
set(MEGAWHETS_OBJDUMP [[${MEGAWHETS_OBJDUMP}]])
include([[${packaging_dir}/debian/depends.cmake]])
")
  set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/cpack_project_config.cmake)
elseif(MEGAWHETS_PACKAGE STREQUAL "archive")
  # Static, so that it runs whatever C library the machine has, or none.
  target_link_options(megawhets PRIVATE -static)
  configure_file(packaging/archive/README.in README @ONLY)
  megawhets_install_stripped(.)
  install(FILES LICENSE man/megawhets.1 ${PROJECT_BINARY_DIR}/README DESTINATION .)
  set(CPACK_GENERATOR TGZ)
  set(CPACK_PACKAGE_FILE_NAME megawhets-${PROJECT_VERSION}-linux-${MEGAWHETS_DEB_ARCH})
else()
  message(FATAL_ERROR "MEGAWHETS_PACKAGE is '${MEGAWHETS_PACKAGE}': it can be deb, archive or empty")
endif()
include(CPack)

# Installs the build into a scratch prefix and checks that the tree holds the
# program and no other, its manual page, the record's schema and the fleet
# scripts the documentation runs from there, and that the page renders without
# warnings.
# Run with -DBUILD_DIR=... -DPREFIX=...

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE install_result OUTPUT_QUIET)
if(NOT install_result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${install_result}")
endif()

set(program "${PREFIX}/bin/megawhets")
set(page "${PREFIX}/share/man/man1/megawhets.1")
if(NOT EXISTS "${program}" OR IS_DIRECTORY "${program}")
  message(FATAL_ERROR "the installed tree has no bin/megawhets")
endif()
# The test programs with a drag (megawhets-drag-N) are built beside it, but
# their figures are not a real build's: they are never installed.
file(GLOB installed_programs RELATIVE "${PREFIX}/bin" "${PREFIX}/bin/*")
if(NOT installed_programs STREQUAL "megawhets")
  message(FATAL_ERROR "the installed tree's bin holds [${installed_programs}], not [megawhets] alone")
endif()
if(NOT EXISTS "${page}")
  message(FATAL_ERROR "the installed tree has no share/man/man1/megawhets.1")
endif()
foreach(file share/megawhets/run-record.schema.json share/megawhets/comparison.schema.json
             share/megawhets/ab-comparison.schema.json share/doc/megawhets/examples/fleet.sbatch
             share/doc/megawhets/examples/fleet-ssh.sh)
  if(NOT EXISTS "${PREFIX}/${file}")
    message(FATAL_ERROR "the installed tree has no ${file}")
  endif()
endforeach()

find_program(GROFF groff REQUIRED)
# -ww turns on every warning; -z discards the rendering itself.
execute_process(COMMAND "${GROFF}" -man -Tutf8 -ww -z "${page}"
                RESULT_VARIABLE render_result ERROR_VARIABLE render_warnings)
if(NOT render_result EQUAL 0 OR NOT render_warnings STREQUAL "")
  message(FATAL_ERROR "the manual page does not render cleanly:\n${render_warnings}")
endif()
# Plain text: no overstriking or escape sequences around the headings.
execute_process(COMMAND "${GROFF}" -man -Tutf8 -P-cbou "${page}" OUTPUT_VARIABLE rendered ERROR_QUIET)
foreach(section NAME SYNOPSIS DESCRIPTION OPTIONS REPORT "STANDARD ERROR" "EXIT STATUS" EXAMPLES)
  string(FIND "${rendered}" "${section}" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "the manual page has no ${section} section")
  endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")

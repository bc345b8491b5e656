# Installs the build into a scratch prefix and checks that the tree holds the
# program and no other, its manual page, the record's schema, the fleet
# scripts the documentation runs from there and the history's example
# records' script, which runs there, and that the page renders without
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
             share/doc/megawhets/examples/fleet-ssh.sh share/doc/megawhets/examples/history_records.py
             share/doc/megawhets/examples/synthetic_records.py)
  if(NOT EXISTS "${PREFIX}/${file}")
    message(FATAL_ERROR "the installed tree has no ${file}")
  endif()
endforeach()
# The history's example records are made without the source tree.
find_program(PYTHON3 python3 REQUIRED)
set(records "${PREFIX}-example-records")
file(REMOVE_RECURSE "${records}")
execute_process(COMMAND "${PYTHON3}" "${PREFIX}/share/doc/megawhets/examples/history_records.py" --hosts 2 --runs 3
                        "${records}"
                RESULT_VARIABLE records_result ERROR_VARIABLE records_error OUTPUT_QUIET)
file(GLOB example_records "${records}/*")
if(NOT records_result EQUAL 0 OR NOT example_records)
  message(FATAL_ERROR "the installed history_records.py made no records: ${records_error}")
endif()

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

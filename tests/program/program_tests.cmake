# The end-to-end tests, which run the program as a user would. They are Linux
# programs (fork, pipes, a pseudo-terminal), so a Windows build has them built
# for the build machine by tests/windows/linux_side and pointed at the .exe.
#
# megawhets_add_program_tests(PROGRAM path EXPECTED_COMPILER "name version"
#                             [EMULATOR words...] [WINDOWS_PROGRAM]
#                             [PROPERTIES test properties...])
include(${CMAKE_CURRENT_LIST_DIR}/../string_literals.cmake)

# Records are checked against their schema by Python's jsonschema, which
# Debian installs for its own python3, and the self-check's values against a
# transcription in Python.
find_program(MEGAWHETS_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
find_program(MEGAWHETS_PYTHON python3 REQUIRED)

function(megawhets_add_program_tests)
  cmake_parse_arguments(PARSE_ARGV 0 arg "WINDOWS_PROGRAM" "PROGRAM;EXPECTED_COMPILER"
                        "EMULATOR;PROPERTIES")
  set(here ${CMAKE_CURRENT_FUNCTION_LIST_DIR})
  add_executable(megawhets_program_tests ${here}/program_test.cpp ${here}/program_runner.cpp)
  target_compile_definitions(megawhets_program_tests PRIVATE MEGAWHETS_PATH="${arg_PROGRAM}"
                             MEGAWHETS_EXPECTED_COMPILER="${arg_EXPECTED_COMPILER}")
  if(arg_EMULATOR)
    # A program built for another system runs under an emulator: the
    # command's words become a list of string literals.
    megawhets_string_literals(emulator_literals ${arg_EMULATOR})
    target_compile_definitions(megawhets_program_tests PRIVATE MEGAWHETS_EMULATOR=${emulator_literals})
  endif()
  if(arg_WINDOWS_PROGRAM)
    target_compile_definitions(megawhets_program_tests PRIVATE MEGAWHETS_WINDOWS_PROGRAM)
  endif()
  megawhets_string_literals(record_check_literals ${MEGAWHETS_PYTHON} ${here}/record_check.py
                            ${here}/../../record/run-record.schema.json)
  target_compile_definitions(megawhets_program_tests PRIVATE MEGAWHETS_RECORD_CHECK=${record_check_literals})
  target_link_libraries(megawhets_program_tests PRIVATE GTest::gtest_main util)
  gtest_discover_tests(megawhets_program_tests NO_PRETTY_VALUES TEST_FILTER "-TimedProgram.*"
                       PROPERTIES ${arg_PROPERTIES})
  # Runs whose verdict depends on how fast the machine runs them get it to
  # themselves.
  gtest_discover_tests(megawhets_program_tests NO_PRETTY_VALUES TEST_FILTER "TimedProgram.*"
                       PROPERTIES RUN_SERIAL ON ${arg_PROPERTIES})
endfunction()

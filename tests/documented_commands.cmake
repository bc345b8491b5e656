# Every command the documentation tells a reader to type, run as written
# (documented_commands.py): one test holds every command block of the README,
# docs/ and the manual page to a mark that says which case runs it, or why
# none does; each case is a test of its own. The commands are the same
# whatever compiled the program, so they run once, in the build the program
# ships as. Those that take more than a few seconds are labelled slow, and
# those that need a Slurm cluster slurm (skipped, saying why, without one).
set(documented_commands ${MEGAWHETS_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/documented_commands.py
                        --source ${PROJECT_SOURCE_DIR})
add_test(NAME documented_commands_are_each_run_or_say_why COMMAND ${documented_commands} --audit)

# Each case's name and its labels, separated by commas, from the script's own
# table.
execute_process(COMMAND ${documented_commands} --list OUTPUT_VARIABLE documented_cases COMMAND_ERROR_IS_FATAL ANY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/documented_commands.py)
string(STRIP "${documented_cases}" documented_cases)
string(REPLACE "\n" ";" documented_cases "${documented_cases}")
foreach(case IN LISTS documented_cases)
  string(REPLACE " " ";" fields "${case}")
  string(REPLACE "," ";" fields "${fields}")
  list(POP_FRONT fields name)
  string(REPLACE "-" "_" test_name "documented_command_${name}")
  add_test(NAME ${test_name}
           COMMAND ${documented_commands} --program $<TARGET_FILE:megawhets>
                   --work ${CMAKE_CURRENT_BINARY_DIR}/documented_commands/${name} --run ${name})
  set_tests_properties(${test_name} PROPERTIES LABELS "${fields}" SKIP_RETURN_CODE 77 TIMEOUT 1800)
  if("slurm" IN_LIST fields)
    set_tests_properties(${test_name} PROPERTIES RESOURCE_LOCK slurm_cluster)
  endif()
endforeach()

# megawhets_run_check(<command words...>): runs a packaged program, named by
# the command's words (an emulator's, then the program's), as a user would
# first: --version, then a short run. Each must exit 0 and say what it should.
function(megawhets_run_check)
  execute_process(COMMAND ${ARGN} --version RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0 OR NOT out MATCHES "^megawhets [0-9]")
    message(FATAL_ERROR "'${ARGN} --version' exited with ${result}:\n${out}${err}")
  endif()
  message(STATUS "${out}")
  # Small counts: under an emulator the run takes far longer than it would.
  execute_process(COMMAND ${CMAKE_COMMAND} -E echo "2000 1" COMMAND ${ARGN}
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0 OR NOT out MATCHES "Pass #  2:")
    message(FATAL_ERROR "a short run of '${ARGN}' exited with ${result}:\n${out}${err}")
  endif()
endfunction()

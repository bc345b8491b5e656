# megawhets_debian_architecture(<variable> <GNU triplet>): Debian's name for
# the architecture a compiler for the triplet builds for (amd64, arm64,
# armhf, ...), as dpkg itself derives it.
function(megawhets_debian_architecture variable triplet)
  find_program(MEGAWHETS_DPKG_ARCHITECTURE dpkg-architecture REQUIRED)
  execute_process(COMMAND ${MEGAWHETS_DPKG_ARCHITECTURE} -t ${triplet} -qDEB_HOST_ARCH
                  OUTPUT_VARIABLE architecture OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0 OR architecture STREQUAL "")
    message(FATAL_ERROR "dpkg-architecture has no Debian name for '${triplet}'")
  endif()
  set(${variable} ${architecture} PARENT_SCOPE)
endfunction()

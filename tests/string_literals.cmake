# Sets `out` to the words that follow, each as a C++ string literal and
# separated by commas, for a definition that initialises an array: a
# command's words (an emulator and its options) handed to a test in C++.
function(megawhets_string_literals out)
  set(words ${ARGN})
  list(TRANSFORM words PREPEND "\"")
  list(TRANSFORM words APPEND "\"")
  list(JOIN words "," literals)
  set(${out} "${literals}" PARENT_SCOPE)
endfunction()

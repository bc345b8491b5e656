# ctest's console says only "***Skipped" of a skipped test, and the reason
# the test printed goes to its log alone. Once ctest has run the tests,
# skipped_tests.py lists each skipped test with its reason. ctest reads
# CTestCustom.cmake at the top of the build tree whenever it runs there,
# under the test preset's workflow too.
#
# megawhets_list_skipped_tests(PYTHON)
function(megawhets_list_skipped_tests python)
  set(command "\"${python}\" \"${CMAKE_CURRENT_FUNCTION_LIST_DIR}/skipped_tests.py\" \"${CMAKE_CTEST_COMMAND}\" \"${CMAKE_BINARY_DIR}\"")
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/CTestCustom.cmake
       CONTENT "set(CTEST_CUSTOM_POST_TEST [==[@command@]==])\n" @ONLY)
endfunction()

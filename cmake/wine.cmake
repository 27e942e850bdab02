# Tests run under Wine (the toolchain's CMAKE_CROSSCOMPILING_EMULATOR) in a
# private prefix inside the build folder. scripts/test.sh prepares that prefix,
# keeps one wineserver alive for the run and gives the tests an X display.
set(TEST_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(TEST_ENVIRONMENT "WINEPREFIX=${TEST_WINEPREFIX};WINEDEBUG=-all")

# One ctest test per test executable: every Wine start costs time.
function(add_wine_test target)
  add_test(NAME ${target} COMMAND ${target} ${ARGN})
  set_tests_properties(${target} PROPERTIES ENVIRONMENT "${TEST_ENVIRONMENT}" TIMEOUT 600)
endfunction()

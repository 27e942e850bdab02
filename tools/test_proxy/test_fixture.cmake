# The ctest fixture "test_proxy": tinyproxy on loopback, open on
# TEST_PROXY_PORT and demanding credentials on TEST_AUTH_PROXY_PORT (both
# from the top-level CMakeLists.txt). A test that needs them calls
#   require_test_proxy(<test name>)
include_guard(GLOBAL)

find_program(PYTHON3_PROGRAM NAMES python3 REQUIRED)
set(TEST_PROXY_WORK ${CMAKE_BINARY_DIR}/test_proxy)
add_test(NAME test_proxy_start
  COMMAND ${PYTHON3_PROGRAM} ${CMAKE_CURRENT_LIST_DIR}/test_proxy.py start --port ${TEST_PROXY_PORT}
          --auth-port ${TEST_AUTH_PROXY_PORT} --work ${TEST_PROXY_WORK})
set_tests_properties(test_proxy_start PROPERTIES FIXTURES_SETUP test_proxy TIMEOUT 30)
add_test(NAME test_proxy_stop
  COMMAND ${PYTHON3_PROGRAM} ${CMAKE_CURRENT_LIST_DIR}/test_proxy.py stop --work ${TEST_PROXY_WORK})
set_tests_properties(test_proxy_stop PROPERTIES FIXTURES_CLEANUP test_proxy TIMEOUT 30)

function(require_test_proxy test)
  set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED test_proxy)
endfunction()

# The ctest fixture "update_service": a setup test starts the service in the
# background on UPDATE_TEST_SERVICE_PORT, and over TLS on UPDATE_TEST_TLS_PORT
# with the certificates that scripts/test.sh makes in TEST_CERTIFICATES, and
# waits until it answers; a cleanup test stops it. A test that needs it calls
#   require_update_service(<test name>)
# (the tests know the port from test_support).
include_guard(GLOBAL)

find_program(PYTHON3_PROGRAM NAMES python3 REQUIRED)
set(UPDATE_SERVICE_PIDFILE ${CMAKE_BINARY_DIR}/update_service.pid)
set(TEST_CERTIFICATES ${CMAKE_BINARY_DIR}/tls)

add_test(NAME update_service_start
  COMMAND ${PYTHON3_PROGRAM} ${UPDATE_SERVICE_SCRIPT} start --port ${UPDATE_TEST_SERVICE_PORT}
          --pidfile ${UPDATE_SERVICE_PIDFILE} --log ${CMAKE_BINARY_DIR}/update_service.log
          --tls-port ${UPDATE_TEST_TLS_PORT} --certificates ${TEST_CERTIFICATES})
set_tests_properties(update_service_start PROPERTIES FIXTURES_SETUP update_service TIMEOUT 30)
add_test(NAME update_service_stop
  COMMAND ${PYTHON3_PROGRAM} ${UPDATE_SERVICE_SCRIPT} stop --port ${UPDATE_TEST_SERVICE_PORT}
          --pidfile ${UPDATE_SERVICE_PIDFILE})
set_tests_properties(update_service_stop PROPERTIES FIXTURES_CLEANUP update_service TIMEOUT 30)

function(require_update_service test)
  set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED update_service)
  # Scripted answers are consumed in order: one such test at a time.
  set_property(TEST ${test} APPEND PROPERTY RESOURCE_LOCK update_service)
endfunction()

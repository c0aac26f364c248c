# End-to-end test of the watchdog that closes a passphrase dialog left open during a decode in place.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME e2e_Watchdog SOURCES ${CMAKE_CURRENT_LIST_DIR}/WatchdogTest.cpp LIBS e2e_session TIMEOUT 600)
  target_compile_definitions(e2e_Watchdog PRIVATE ZAVEK_DECROAD_MESSAGES="${CMAKE_BINARY_DIR}/decroadmessages")
  add_dependencies(e2e_Watchdog decroad_messages)
  # The passphrase dialog takes the foreground while it waits.
  set_tests_properties(e2e_Watchdog PROPERTIES RUN_SERIAL TRUE)
endif()

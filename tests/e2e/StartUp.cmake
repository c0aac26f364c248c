# End-to-end tests of the plug-in's start-up in the stand-in mail client (needs the staged tree).
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME e2e_StartUp
                 SOURCES ${CMAKE_CURRENT_LIST_DIR}/StartUpTest.cpp
                 LIBS e2e_session TIMEOUT 600)
  # Moves a staged library aside while it runs, and its windows take the foreground.
  set_tests_properties(e2e_StartUp PROPERTIES RUN_SERIAL TRUE)
endif()

# End-to-end tests of the S/MIME roads in the stand-in mail client, on openssl's messages and on
# key rings with certificates that SMimeStandInTest leaves behind.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME e2e_SMimeRoad SOURCES ${CMAKE_CURRENT_LIST_DIR}/SMimeRoadTest.cpp LIBS e2e_session TIMEOUT 600)
  target_compile_definitions(e2e_SMimeRoad PRIVATE ZAVEK_SMIME_FIXTURES="${CMAKE_BINARY_DIR}/smimefixtures"
                             ZAVEK_SMIME_RINGS="${CMAKE_BINARY_DIR}/smime-interop-rings"
                             ZAVEK_SMIME_EDITOR_OUT="Z:${CMAKE_BINARY_DIR}/smime-interop")
  add_dependencies(e2e_SMimeRoad smime_fixtures)
  # Its message dialogs take the foreground; the rings come from SMimeStandInTest. What the editor
  # sent stays in smime-interop/ for tests/interop/SMimeInterop.cmake.
  set_tests_properties(e2e_SMimeRoad PROPERTIES RUN_SERIAL TRUE FIXTURES_REQUIRED smime_output
                       FIXTURES_SETUP smime_editor_output)
endif()

# End-to-end tests of the editor interface in the stand-in mail client (needs the staged tree).
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME e2e_Editor SOURCES ${CMAKE_CURRENT_LIST_DIR}/EditorTest.cpp LIBS e2e_session TIMEOUT 600)
  set_tests_properties(e2e_Editor PROPERTIES RUN_SERIAL TRUE)
endif()

# End-to-end tests of an editor's send through the plug-in in the stand-in mail client.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME e2e_SendFlow
                 SOURCES ${CMAKE_CURRENT_LIST_DIR}/SendFlowTest.cpp
                 LIBS e2e_session shell32 TIMEOUT 600)
  # The stand-in's windows and the plug-in's dialogs take the foreground.
  set_tests_properties(e2e_SendFlow PROPERTIES RUN_SERIAL TRUE)
endif()

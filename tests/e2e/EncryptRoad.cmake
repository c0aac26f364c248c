# End-to-end tests of the encrypt road in the stand-in mail client (needs the staged tree).
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME e2e_EncryptRoad
                 SOURCES ${CMAKE_CURRENT_LIST_DIR}/EncryptRoadTest.cpp
                 LIBS e2e_session TIMEOUT 600)
  # The stand-in's windows and the plug-in's dialogs take the foreground.
  set_tests_properties(e2e_EncryptRoad PROPERTIES RUN_SERIAL TRUE)
endif()

# The about box: its rules in both builds; the dialog under Wine against a loopback web server.
zavek_add_test(NAME about_rules_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/AboutRulesTest.cpp LIBS zavek_about_rules NATIVE)
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME aboutdialog_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/AboutDialogTest.cpp ${CMAKE_CURRENT_LIST_DIR}/UiTestResources.rc
    LIBS zavek_aboutdialog zavek_ui_harness ws2_32 TIMEOUT 180)
  set_tests_properties(aboutdialog_test PROPERTIES RESOURCE_LOCK display_focus)
endif()

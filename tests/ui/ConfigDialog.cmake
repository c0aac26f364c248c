# The configuration dialog under Wine with the dialog answerer; it takes the focus.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME configdialog_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ConfigDialogTest.cpp ${CMAKE_CURRENT_LIST_DIR}/UiTestResources.rc
    LIBS zavek_configdialog ZAVEKPluginCore zavek_ui_harness TIMEOUT 180)
  set_tests_properties(configdialog_test PROPERTIES RESOURCE_LOCK display_focus)
endif()

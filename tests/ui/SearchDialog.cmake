# The search dialog under Wine with the dialog answerer; it takes the focus.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME searchdialog_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/SearchDialogTest.cpp ${CMAKE_CURRENT_LIST_DIR}/UiTestResources.rc
    LIBS zavek_searchdialog zavek_ui_harness TIMEOUT 120)
  set_tests_properties(searchdialog_test PROPERTIES RESOURCE_LOCK display_focus)
endif()

# The print dialog under Wine with stand-ins for the system's print dialogs. It shows windows that
# take the activation, so it takes its turn on the display.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME printdlg_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/PrintDlgTest.cpp LIBS zavek_printdlg)
  set_tests_properties(printdlg_test PROPERTIES RESOURCE_LOCK display_focus)
endif()

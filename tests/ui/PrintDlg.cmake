# The print dialog under Wine with stand-ins for the system's print dialogs.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME printdlg_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/PrintDlgTest.cpp LIBS zavek_printdlg)
endif()

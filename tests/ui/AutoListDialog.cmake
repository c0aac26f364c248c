# The recipient list dialog under Wine over keys and address books of our own.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME autolistdialog_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/AutoListDialogTest.cpp ${PROJECT_SOURCE_DIR}/resources/bitmaps/Pictures.rc
    LIBS ZAVEKAutoListChooser zavek_ui_harness TIMEOUT 180)
  set_tests_properties(autolistdialog_test PROPERTIES RESOURCE_LOCK display_focus
    ENVIRONMENT "ZAVEK_CAPTURE_DIR=${CMAKE_CURRENT_BINARY_DIR}/captures")
endif()

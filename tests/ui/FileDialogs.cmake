# The open and save dialogs under Wine: the rules of names, keys and results, and live dialogs
# driven by the dialog answerer. They take the focus: the program takes its turn on the display.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME file_dialogs_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/FileDialogsTest.cpp
    LIBS zavek_file_dialogs zavek_ui_harness TIMEOUT 120)
  set_tests_properties(file_dialogs_test PROPERTIES RESOURCE_LOCK display_focus)
endif()

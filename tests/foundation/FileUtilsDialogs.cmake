# The key-file dialogs under Wine, answered by a timer; they take the focus in their turn.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME file_utils_dialogs_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/FileUtilsDialogsTest.cpp
    LIBS FileUtilsDialogs zavek_ui_harness TIMEOUT 120)
  set_tests_properties(file_utils_dialogs_test PROPERTIES RESOURCE_LOCK display_focus)
endif()

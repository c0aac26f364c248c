# The key-file dialogs under Wine, answered by a timer; they take the focus in their turn.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME key_file_dialogs_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/KeyFileDialogsTest.cpp
    LIBS KeyFileDialogs zavek_ui_harness TIMEOUT 120)
  set_tests_properties(key_file_dialogs_test PROPERTIES RESOURCE_LOCK display_focus)
endif()

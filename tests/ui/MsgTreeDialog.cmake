# The message-tree dialog: its rules over parsed messages in both builds, the dialog under Wine.
zavek_add_test(NAME msgtree_rules_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/MsgTreeRulesTest.cpp LIBS zavek_msgtree_rules NATIVE)
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME msgtreedialog_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/MsgTreeDialogTest.cpp ${CMAKE_CURRENT_LIST_DIR}/UiTestResources.rc
    LIBS zavek_msgtreedialog zavek_ui_harness TIMEOUT 180)
  set_tests_properties(msgtreedialog_test PROPERTIES RESOURCE_LOCK display_focus)
endif()

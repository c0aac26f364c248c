# The message-tree dialog: its rules over parsed messages in both builds.
zavek_add_test(NAME msgtree_rules_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/MsgTreeRulesTest.cpp LIBS zavek_msgtree_rules NATIVE)

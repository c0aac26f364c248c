# The message-tree dialog: its window-free rules in both builds.
add_library(zavek_msgtree_rules STATIC ${CMAKE_CURRENT_LIST_DIR}/dialogs/MsgTreeRules.cpp)
target_include_directories(zavek_msgtree_rules PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(zavek_msgtree_rules PUBLIC MimeMsgTree MailHost)

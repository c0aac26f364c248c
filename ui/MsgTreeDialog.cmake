# The message-tree dialog: its window-free rules in both builds, the dialog for Windows.
add_library(zavek_msgtree_rules STATIC ${CMAKE_CURRENT_LIST_DIR}/dialogs/MsgTreeRules.cpp)
target_include_directories(zavek_msgtree_rules PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(zavek_msgtree_rules PUBLIC MimeMsgTree MailHost PartTexts)
if(ZAVEK_WINDOWS)
  add_library(zavek_msgtreedialog STATIC ${CMAKE_CURRENT_LIST_DIR}/dialogs/MsgTreeDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dialogs/PartTreeIcons.cpp)
  target_link_libraries(zavek_msgtreedialog PUBLIC zavek_msgtree_rules zavek_imageviewer zavek_treeview zavek_partmenu zavek_small_controls)
endif()

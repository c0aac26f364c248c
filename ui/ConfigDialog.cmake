# The configuration dialog (Windows only): it edits the plug-in's options.
if(ZAVEK_WINDOWS)
  add_library(zavek_configdialog STATIC ${CMAKE_CURRENT_LIST_DIR}/dialogs/ConfigDialog.cpp)
  target_link_libraries(zavek_configdialog PUBLIC zavek_ui_dialogs zavek_small_controls zavek_ui_controls zavek_textviewer_rules)
endif()

# The recipient list dialog over the drop grid (Windows only).
if(ZAVEK_WINDOWS)
  add_library(zavek_autolistdialog STATIC ${CMAKE_CURRENT_LIST_DIR}/dialogs/AutoListDialog.cpp)
  target_link_libraries(zavek_autolistdialog PUBLIC zavek_ui_dialogs zavek_dropgrid zavek_searchdialog zavek_tooltip
    zavek_autolist FileUtilsWin)
endif()

# The search dialog and its callback for the text controls (Windows only).
if(ZAVEK_WINDOWS)
  add_library(zavek_searchdialog STATIC ${CMAKE_CURRENT_LIST_DIR}/dialogs/SearchDialog.cpp)
  target_link_libraries(zavek_searchdialog PUBLIC zavek_ui_dialogs zavek_dropedit zavek_panels)
endif()

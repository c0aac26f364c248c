# The key dialog's details and help through the plug-in's tooltip and help handler (Windows only).
if(ZAVEK_WINDOWS)
  add_library(zavek_keydialog_assist STATIC ${CMAKE_CURRENT_LIST_DIR}/controls/KeyDialogAssist.cpp)
  target_link_libraries(zavek_keydialog_assist PUBLIC zavek_keydialog zavek_tooltip zavek_help)
endif()

# The tooltip control and the tracking-tooltip routines (Windows only).
if(ZAVEK_WINDOWS)
  add_library(zavek_tooltip STATIC ${CMAKE_CURRENT_LIST_DIR}/controls/ToolTip.cpp)
  target_link_libraries(zavek_tooltip PUBLIC zavek_ui_controls WindowUtils comctl32 uxtheme)
endif()

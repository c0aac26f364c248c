# The base form and the message dialog with its routines (Windows only).
if(ZAVEK_WINDOWS)
  add_library(zavek_ui_dialogs STATIC
    ${CMAKE_CURRENT_LIST_DIR}/dialogs/ZAVEKForm.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dialogs/MessageDialogs.cpp)
  target_link_libraries(zavek_ui_dialogs PUBLIC zavek_ui_controls zavek_tooltip ZAVEKResources zavek_strutil_win)
endif()

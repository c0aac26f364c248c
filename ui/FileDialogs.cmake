# The open and save dialogs (Windows only). Their child templates must be resources of the module
# that runs them, so every program or library linking the dialogs compiles the templates in.
if(ZAVEK_WINDOWS)
  add_library(zavek_file_dialogs STATIC ${CMAKE_CURRENT_LIST_DIR}/dialogs/FileDialogs.cpp)
  target_sources(zavek_file_dialogs INTERFACE ${CMAKE_CURRENT_LIST_DIR}/dialogs/FileDialogs.rc)
  target_link_libraries(zavek_file_dialogs PUBLIC zavek_strutil_win zavek_framework user32)
endif()

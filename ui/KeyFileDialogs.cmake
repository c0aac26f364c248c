# The key-file dialogs over the plug-in's open and save dialogs (Windows only).
if(ZAVEK_WINDOWS)
  add_library(KeyFileDialogs STATIC ${CMAKE_CURRENT_LIST_DIR}/dialogs/KeyFileDialogs.cpp)
  target_link_libraries(KeyFileDialogs PUBLIC FileUtilsWin zavek_file_dialogs)
endif()

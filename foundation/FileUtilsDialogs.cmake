# FileUtils, the key-file dialogs over the plug-in's open and save dialogs (Windows only).
if(ZAVEK_WINDOWS)
  add_library(FileUtilsDialogs STATIC ${CMAKE_CURRENT_LIST_DIR}/FileUtilsDialogs.cpp)
  target_link_libraries(FileUtilsDialogs PUBLIC FileUtilsWin zavek_file_dialogs)
endif()

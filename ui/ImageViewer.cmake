# The image viewer for picture parts (Windows only).
if(ZAVEK_WINDOWS)
  add_library(zavek_imageviewer STATIC ${CMAKE_CURRENT_LIST_DIR}/dialogs/ImageViewer.cpp)
  target_link_libraries(zavek_imageviewer PUBLIC zavek_ui_dialogs zavek_panels GdiPlus KeyFileDialogs PartTexts zavek_partmenu zavek_printdlg)
endif()

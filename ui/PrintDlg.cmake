# The print dialog and its settings record (Windows only).
if(ZAVEK_WINDOWS)
  add_library(zavek_printdlg STATIC ${CMAKE_CURRENT_LIST_DIR}/dialogs/PrintDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dialogs/PrintDlgPage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dialogs/BitmapPrinter.cpp)
  target_link_libraries(zavek_printdlg PUBLIC zavek_framework comctl32 gdi32 ole32 uuid)
endif()

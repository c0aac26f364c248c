# The print dialog and its settings record (Windows only).
if(ZAVEK_WINDOWS)
  add_library(zavek_printdlg STATIC ${CMAKE_CURRENT_LIST_DIR}/dialogs/PrintDlg.cpp)
  target_link_libraries(zavek_printdlg PUBLIC zavek_framework comdlg32 winspool ole32 uuid)
endif()

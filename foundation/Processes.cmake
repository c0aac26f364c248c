# Processes, tokens and impersonation: shared by the plug-in, the helper programs and the download
# library, so it stays free of the window framework.
if(ZAVEK_WINDOWS)
  add_library(Processes STATIC ${CMAKE_CURRENT_LIST_DIR}/Processes.cpp)
  target_link_libraries(Processes PUBLIC zavek_strutil_win zavek_framework shell32 advapi32 user32)
endif()

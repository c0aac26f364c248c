# WinInet bound at run time with the download steps the web thread and the download library share,
# and the web download thread.
if(ZAVEK_WINDOWS)
  add_library(WinInetApi STATIC ${CMAKE_CURRENT_LIST_DIR}/WinInetApi.cpp)
  target_link_libraries(WinInetApi PUBLIC zavek_strutil_win zavek_framework_core)
  add_library(WebInterface STATIC ${CMAKE_CURRENT_LIST_DIR}/WebInterface.cpp)
  target_link_libraries(WebInterface PUBLIC WinInetApi zavek_framework)
endif()

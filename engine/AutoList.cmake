# The recipient key list (AutoListHandler) and its file: portable in both builds; the Windows build
# adds the locale compare and the shell open. The plug-in and the recipient list dialog both use it.
add_library(zavek_autolist STATIC ${CMAKE_CURRENT_LIST_DIR}/AutoListHandler.cpp)
target_link_libraries(zavek_autolist PUBLIC zavek_keytypes zavek_strutil ZAVEKCommon UserIDs)
if(ZAVEK_WINDOWS)
  target_sources(zavek_autolist PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/AutoListFileWin.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AutoListWin.cpp)
  target_link_libraries(zavek_autolist PUBLIC shell32)
else()
  target_sources(zavek_autolist PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/AutoListFilePosix.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AutoListCompare.cpp)
endif()

# The help and manual pages and the opening of pages in the browser (after ZAVEKMain.cmake, whose
# core library carries them).
if(ZAVEK_WINDOWS)
  target_sources(ZAVEKPluginCore PRIVATE ${CMAKE_CURRENT_LIST_DIR}/ZAVEKHelp.cpp)
  target_link_libraries(ZAVEKPluginCore PUBLIC FileUtilsWin zavek_help)
endif()

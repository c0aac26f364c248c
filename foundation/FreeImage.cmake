# Picture conversion: the run-time binding of the FreeImage library (Windows only).
if(ZAVEK_WINDOWS)
  add_library(FreeImage STATIC ${CMAKE_CURRENT_LIST_DIR}/FreeImage.cpp)
  target_link_libraries(FreeImage PUBLIC FileUtilsWin WindowUtils zavek_strutil_win zavek_framework)
endif()

# Time zones, Unix and NTP time: the arithmetic is portable; the current-zone half is Windows only.
add_library(TimeUtils STATIC ${CMAKE_CURRENT_LIST_DIR}/TimeUtils.cpp)
if(ZAVEK_WINDOWS)
  target_sources(TimeUtils PRIVATE ${CMAKE_CURRENT_LIST_DIR}/TimeUtilsWin.cpp)
endif()

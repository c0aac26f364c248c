# Product-wide helpers: the text rules build in both builds, the Windows side only in the cross build.
add_library(ZAVEKCommon STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ZAVEKCommon.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ZAVEKCommonSntp.cpp)
target_link_libraries(ZAVEKCommon PUBLIC UserIDs)
if(ZAVEK_WINDOWS)
  target_sources(ZAVEKCommon PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/ZAVEKCommonWin.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZAVEKCommonSntpWin.cpp)
  target_link_libraries(ZAVEKCommon PUBLIC zavek_strutil_win TimeUtils zavek_framework_core ws2_32 user32 advapi32)
endif()

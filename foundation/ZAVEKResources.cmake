# Language texts: the file format and the lists build in both builds; the user's language and
# the icons only in the cross build.
add_library(ZAVEKResourcesParser STATIC ${CMAKE_CURRENT_LIST_DIR}/ZAVEKResourcesParser.cpp)
add_library(ZAVEKResources STATIC ${CMAKE_CURRENT_LIST_DIR}/ZAVEKResources.cpp)
target_link_libraries(ZAVEKResources PUBLIC ZAVEKResourcesParser zavek_framework_core zavek_strutil)
if(ZAVEK_WINDOWS)
  target_sources(ZAVEKResources PRIVATE ${CMAKE_CURRENT_LIST_DIR}/ZAVEKResourcesWin.cpp)
  target_link_libraries(ZAVEKResources PUBLIC ZAVEKCommon)
endif()

# Language texts: the file format builds in both builds.
add_library(ZAVEKResourcesParser STATIC ${CMAKE_CURRENT_LIST_DIR}/ZAVEKResourcesParser.cpp)

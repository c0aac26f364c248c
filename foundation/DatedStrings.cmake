# Dated string lists: portable, built in both builds.
add_library(DatedStrings STATIC ${CMAKE_CURRENT_LIST_DIR}/DatedStrings.cpp)
target_link_libraries(DatedStrings PUBLIC zavek_framework_core)

# User-id parsers (portable: both builds).
add_library(UserIDs STATIC ${CMAKE_CURRENT_LIST_DIR}/UserIDs.cpp)

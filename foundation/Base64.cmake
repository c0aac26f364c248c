# Base64: portable, built in both builds.
add_library(Base64 STATIC ${CMAKE_CURRENT_LIST_DIR}/Base64.cpp)

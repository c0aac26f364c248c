# The ISAAC random generator: portable, built in both builds.
add_library(Isaac STATIC ${CMAKE_CURRENT_LIST_DIR}/Isaac.cpp)

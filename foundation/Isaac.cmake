# The ISAAC random generator and its run-time seed: portable, built in both builds.
add_library(Isaac STATIC ${CMAKE_CURRENT_LIST_DIR}/Isaac.cpp ${CMAKE_CURRENT_LIST_DIR}/IsaacSeed.cpp)
if(ZAVEK_WINDOWS)
  target_link_libraries(Isaac PUBLIC user32)
endif()

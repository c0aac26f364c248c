# The roads' phase timer for the speed bench: portable, built in both builds.
add_library(PhaseTimes STATIC ${CMAKE_CURRENT_LIST_DIR}/PhaseTimes.cpp)
if(WIN32)
  target_link_libraries(PhaseTimes PRIVATE psapi)
endif()

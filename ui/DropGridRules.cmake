# The grid's sorting, drawing arithmetic and search rules (portable, both builds).
add_library(zavek_dropgrid_rules STATIC ${CMAKE_CURRENT_LIST_DIR}/controls/DropGridRules.cpp)
target_include_directories(zavek_dropgrid_rules PUBLIC ${PROJECT_SOURCE_DIR})

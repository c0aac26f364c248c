# The help handler: its portable topic and popup lists (both builds) and the viewers (Windows).
add_library(zavek_help_lists STATIC ${CMAKE_CURRENT_LIST_DIR}/controls/HelpLists.cpp)
target_include_directories(zavek_help_lists PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(zavek_help_lists PUBLIC zavek_framework_core)

if(ZAVEK_WINDOWS)
  add_library(zavek_help STATIC ${CMAKE_CURRENT_LIST_DIR}/controls/HelpCtrl.cpp)
  target_link_libraries(zavek_help PUBLIC zavek_help_lists zavek_framework zavek_strutil_win user32)
endif()

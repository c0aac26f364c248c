# Window and theme utilities: child-window search, control wrappers, units and the run-time
# binding of the visual-styles library.
if(ZAVEK_WINDOWS)
  add_library(WindowUtils STATIC
    ${CMAKE_CURRENT_LIST_DIR}/WindowUtils.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UxThemes.cpp)
  target_link_libraries(WindowUtils PUBLIC Processes zavek_strutil_win zavek_framework user32 gdi32)
endif()

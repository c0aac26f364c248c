# The multi-selecting tree view and the blending and 32-bit image lists (Windows only).
if(ZAVEK_WINDOWS)
  add_library(zavek_treeview STATIC
    ${CMAKE_CURRENT_LIST_DIR}/controls/ImgListEx.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controls/TreeViewEx.cpp)
  target_link_libraries(zavek_treeview PUBLIC zavek_tooltip comctl32 uxtheme gdi32)
endif()

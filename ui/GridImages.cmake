# The grid's sort arrows and header images (Windows only).
if(ZAVEK_WINDOWS)
  add_library(zavek_grid_images STATIC ${CMAKE_CURRENT_LIST_DIR}/controls/GridImages.cpp)
  target_link_libraries(zavek_grid_images PUBLIC zavek_treeview)
endif()

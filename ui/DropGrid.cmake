# The drop grid window control (Windows only): a report-mode list view with our own cells. Its
# file drop comes from the rich-edit control's library.
if(ZAVEK_WINDOWS)
  add_library(zavek_dropgrid STATIC ${CMAKE_CURRENT_LIST_DIR}/controls/DropGrid.cpp)
  target_link_libraries(zavek_dropgrid PUBLIC zavek_dropgrid_rules zavek_grid_images zavek_dropedit zavek_ui_controls comctl32 uxtheme gdi32)
endif()

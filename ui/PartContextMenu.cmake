# The context menu of a message part with the Explorer's commands merged in (Windows only).
if(ZAVEK_WINDOWS)
  add_library(zavek_partmenu STATIC ${CMAKE_CURRENT_LIST_DIR}/dialogs/PartContextMenu.cpp)
  target_link_libraries(zavek_partmenu PUBLIC FileUtilsWin zavek_framework)
endif()

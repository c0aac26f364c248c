# FileUtils: the file-name, quoting, icon-group and ini-buffer rules are portable (both builds);
# files, the registry's MIME list, shell, clipboard and context menus only in the cross build.
add_library(FileUtils STATIC ${CMAKE_CURRENT_LIST_DIR}/FileUtils.cpp)
target_link_libraries(FileUtils PUBLIC zavek_strutil zavek_framework_core)
if(ZAVEK_WINDOWS)
  add_library(FileUtilsWin STATIC
    ${CMAKE_CURRENT_LIST_DIR}/FileUtilsWin.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileUtilsDecoded.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileUtilsShell.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileUtilsMenu.cpp)
  target_link_libraries(FileUtilsWin PUBLIC FileUtils zavek_strutil_win Processes zavek_framework
    shell32 ole32 uuid user32 gdi32 shlwapi comctl32)
endif()

# GDI+ images: the run-time binding of GdiPlus.dll, the COM memory stream and the image class.
if(ZAVEK_WINDOWS)
  add_library(GdiPlus STATIC ${CMAKE_CURRENT_LIST_DIR}/GdiPlus.cpp)
  target_link_libraries(GdiPlus PUBLIC zavek_strutil_win zavek_framework ole32 uuid user32 gdi32)
endif()
# File types whose icon is "%1" get an icon drawn from their picture data.
if(ZAVEK_WINDOWS)
  target_link_libraries(FileUtilsWin PUBLIC GdiPlus)
endif()

# The editor library's interface and its one loader, shared by the editor interface and the
# HTML/RTF converter.
if(ZAVEK_WINDOWS)
  add_library(TerApi STATIC ${CMAKE_CURRENT_LIST_DIR}/TerApi.cpp)
  target_link_libraries(TerApi PUBLIC zavek_strutil_win user32)
endif()

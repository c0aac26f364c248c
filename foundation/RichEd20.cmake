# Rich-text helpers: the wide-text, URL-text and RTF picture scanner halves in both builds (the
# scanner is fuzzed natively); the rich-edit converter, code pages, URL services and fonts on Windows.
add_library(RichEd20Text STATIC
  ${CMAKE_CURRENT_LIST_DIR}/RichEd20Text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RichEd20Pictures.cpp)
target_link_libraries(RichEd20Text PUBLIC zavek_strutil UTF8Codec zavek_framework_core)

if(ZAVEK_WINDOWS)
  add_library(RichEd20 STATIC ${CMAKE_CURRENT_LIST_DIR}/RichEd20.cpp)
  target_link_libraries(RichEd20 PUBLIC RichEd20Text FreeImage WindowUtils zavek_framework zavek_strutil_win user32 gdi32 version)
endif()

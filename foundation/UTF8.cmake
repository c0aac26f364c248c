# The charset unit: its UTF-8 codec is portable (both builds, fuzzed natively); the conversions
# through code pages and the iconv library are Windows only.
add_library(UTF8Codec STATIC ${CMAKE_CURRENT_LIST_DIR}/UTF8Codec.cpp)
if(ZAVEK_WINDOWS)
  add_library(UTF8 STATIC ${CMAKE_CURRENT_LIST_DIR}/UTF8.cpp)
  target_link_libraries(UTF8 PUBLIC UTF8Codec zavek_framework zavek_strutil_win)
endif()

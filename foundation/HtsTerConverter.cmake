# HTML/RTF conversion through the mail client's editor library: picture-reference resolution in
# both builds, the converter over a hidden editor control on Windows.
add_library(HtsTerPictures STATIC ${CMAKE_CURRENT_LIST_DIR}/HtsTerPictures.cpp)
if(ZAVEK_WINDOWS)
  add_library(HtsTerConverter STATIC ${CMAKE_CURRENT_LIST_DIR}/HtsTerConverter.cpp)
  target_link_libraries(HtsTerConverter PUBLIC HtsTerPictures TerApi user32 gdi32)
endif()

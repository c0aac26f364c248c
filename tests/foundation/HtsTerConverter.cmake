# The HTML/RTF converter: picture-reference answers in both builds; conversions through the stand-in
# editor library under Wine.
zavek_add_test(NAME foundation_HtsTerPictures NATIVE SOURCES ${CMAKE_CURRENT_LIST_DIR}/HtsTerPicturesTest.cpp
               LIBS HtsTerPictures)
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME foundation_HtsTerConverter SOURCES ${CMAKE_CURRENT_LIST_DIR}/HtsTerConverterTest.cpp
                 LIBS HtsTerConverter)
  add_dependencies(foundation_HtsTerConverter StandInTer32 StandInHts32)
endif()

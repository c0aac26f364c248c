# The grid's image lists under Wine (pixels of drawn images).
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME grid_images_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/GridImagesTest.cpp LIBS zavek_grid_images)
endif()

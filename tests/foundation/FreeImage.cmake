# Picture conversion under Wine: the road without the library, then the stand-in library loaded
# from its own folder beside the test program.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME FreeImage_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/FreeImageTest.cpp LIBS FreeImage RichEd20 Base64)
  add_dependencies(FreeImage_test FreeImageStandIn)
endif()

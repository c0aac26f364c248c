# Picture conversion under Wine: the road without the library, then a library loaded from its own
# folder beside the test program: the stand-in, and again the real FreeImage when it was built.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME FreeImage_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/FreeImageTest.cpp
    LIBS FreeImage RichEd20 Base64)
  add_dependencies(FreeImage_test FreeImageStandIn)
  if(EXISTS ${ZAVEK_FREEIMAGE_DLL})
    add_custom_command(TARGET FreeImage_test POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E make_directory $<TARGET_FILE_DIR:FreeImage_test>/freeimage-real
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ZAVEK_FREEIMAGE_DLL}
              $<TARGET_FILE_DIR:FreeImage_test>/freeimage-real/FreeImage.dll)
    add_test(NAME FreeImage_real_test COMMAND FreeImage_test --gtest_brief=1)
    set_tests_properties(FreeImage_real_test PROPERTIES TIMEOUT 60 ENVIRONMENT "ZAVEK_FREEIMAGE_FOLDER=freeimage-real")
  endif()
endif()

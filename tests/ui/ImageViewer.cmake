# The image viewer under Wine with the dialog answerer; it takes the focus.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME imageviewer_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ImageViewerTest.cpp ${CMAKE_CURRENT_LIST_DIR}/UiTestResources.rc
    LIBS zavek_imageviewer zavek_ui_harness TIMEOUT 180)
  set_tests_properties(imageviewer_test PROPERTIES RESOURCE_LOCK display_focus)
endif()

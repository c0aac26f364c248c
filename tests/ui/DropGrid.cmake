# The drop grid under Wine: filling, sorting by header clicks, selecting, type-ahead, text search,
# scrolling, row deletion, cell tips and the drawn tint and arrows, driven by messages; a picture of
# the sorted grid goes to captures/. It shows a form and moves the focus: it takes its turn.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME dropgrid_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/DropGridTest.cpp ${CMAKE_CURRENT_LIST_DIR}/DropGridTest.rc
    LIBS zavek_dropgrid zavek_ui_harness)
  set_tests_properties(dropgrid_test PROPERTIES RESOURCE_LOCK display_focus
    ENVIRONMENT "ZAVEK_CAPTURE_DIR=${CMAKE_CURRENT_BINARY_DIR}/captures")
  file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/captures)
endif()

# The drop grid under Wine: filling, sorting by header clicks, selecting, type-ahead, text search,
# scrolling and row deletion, driven by messages. It shows a form and moves the focus: it takes its turn.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME dropgrid_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/DropGridTest.cpp
    LIBS zavek_dropgrid zavek_ui_harness)
  set_tests_properties(dropgrid_test PROPERTIES RESOURCE_LOCK display_focus)
endif()

# Tree view and image list tests under Wine: selection rules driven by key and mouse messages,
# and pixels of the drawn lists. It shows a form and moves the focus: it takes its turn.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME treeview_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/TreeViewExTest.cpp
    LIBS zavek_treeview zavek_ui_harness)
  set_tests_properties(treeview_test PROPERTIES RESOURCE_LOCK display_focus)
endif()

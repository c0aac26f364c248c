# The rich-edit control under Wine: texts and streams, link marking and events, search, keys,
# dropped files, the OLE callback and printing on metafile pages. It takes the focus for its keys.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME dropedit_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/DropEditTest.cpp
    LIBS zavek_dropedit zavek_ui_harness TIMEOUT 120)
  set_tests_properties(dropedit_test PROPERTIES RESOURCE_LOCK display_focus)
endif()

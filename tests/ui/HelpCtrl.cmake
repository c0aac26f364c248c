# Help handler tests: the portable lists (both builds, with a fuzz target for the page scan) and
# the viewers under Wine with a stand-in for the HTML Help entry point.
zavek_add_test(NAME help_lists_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/HelpListsTest.cpp LIBS zavek_help_lists NATIVE)
zavek_add_fuzzer(NAME help_popups_fuzz SOURCE ${CMAKE_CURRENT_LIST_DIR}/HelpPopupsFuzz.cpp LIBS zavek_help_lists
                 CORPUS ${PROJECT_SOURCE_DIR}/tests/data/ui/help_popups_corpus)
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME help_ctrl_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/HelpCtrlTest.cpp LIBS zavek_help)
  # It activates windows and moves the focus: it takes its turn on the display.
  set_tests_properties(help_ctrl_test PROPERTIES RESOURCE_LOCK display_focus)
endif()

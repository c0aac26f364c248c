# End-to-end test of the help in the stand-in mail client, with a stand-in HTML Help control.
if(ZAVEK_WINDOWS)
  add_library(HtmlHelpStandIn SHARED ${CMAKE_CURRENT_LIST_DIR}/HtmlHelpStandIn.cpp ${CMAKE_CURRENT_LIST_DIR}/HtmlHelpStandIn.def)
  set_target_properties(HtmlHelpStandIn PROPERTIES PREFIX "" OUTPUT_NAME HtmlHelpStandIn)
  zavek_add_test(NAME e2e_Help SOURCES ${CMAKE_CURRENT_LIST_DIR}/HelpTest.cpp LIBS e2e_session TIMEOUT 600)
  add_dependencies(e2e_Help HtmlHelpStandIn)
  # Registers its stand-in as the machine's HTML Help control while it runs; the dialog takes keys.
  set_tests_properties(e2e_Help PROPERTIES RUN_SERIAL TRUE)
endif()

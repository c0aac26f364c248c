# The help and manual pages under Wine, with a stand-in browser registered for ".htm" and "mailto".
if(ZAVEK_WINDOWS)
  add_executable(HelpBrowserStub WIN32 ${CMAKE_CURRENT_LIST_DIR}/BrowserStub.cpp)
  zavek_add_test(NAME plugin_ZAVEKHelp SOURCES ${CMAKE_CURRENT_LIST_DIR}/ZAVEKHelpTest.cpp LIBS ZAVEKPluginCore)
  # The popups are also laid out by the stand-in editor library beside the test.
  add_dependencies(plugin_ZAVEKHelp HelpBrowserStub StandInTer32 StandInHts32)
  # Changes the machine's association of ".htm" and "mailto" while it runs.
  set_tests_properties(plugin_ZAVEKHelp PROPERTIES RUN_SERIAL TRUE)
endif()

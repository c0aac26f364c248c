# The help and manual pages under Wine, with a stand-in browser registered for ".htm" and "mailto".
if(ZAVEK_WINDOWS)
  add_executable(HelpBrowserStub WIN32 ${CMAKE_CURRENT_LIST_DIR}/BrowserStub.cpp)
  zavek_add_test(NAME plugin_ZAVEKHelp SOURCES ${CMAKE_CURRENT_LIST_DIR}/ZAVEKHelpTest.cpp LIBS ZAVEKPluginCore)
  # The popups are also laid out by the stand-in editor library beside the test.
  add_dependencies(plugin_ZAVEKHelp HelpBrowserStub StandInTer32 StandInHts32)
  # Changes the machine's association of ".htm" and "mailto" while it runs.
  set_tests_properties(plugin_ZAVEKHelp PROPERTIES RUN_SERIAL TRUE)
endif()
# The compiled help file the build ships, read as the viewer reads it.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME plugin_HelpFile SOURCES ${CMAKE_CURRENT_LIST_DIR}/HelpFileTest.cpp
    LIBS ZAVEKPluginCore ole32 uuid)
  target_compile_definitions(plugin_HelpFile PRIVATE ZAVEK_HELP_FILE="${CMAKE_BINARY_DIR}/help/ZAVEKEn.chm")
  add_dependencies(plugin_HelpFile help_file)
endif()

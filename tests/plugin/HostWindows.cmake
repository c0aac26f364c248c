# Tests of the plug-in's additions to the mail client's windows.
zavek_add_test(NAME plugin_HostWindowRules SOURCES ${CMAKE_CURRENT_LIST_DIR}/HostWindowRulesTest.cpp
               LIBS ZAVEKHostWindowRules NATIVE)
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME plugin_HostWindowUnits
                 SOURCES ${CMAKE_CURRENT_LIST_DIR}/PluginMenusTest.cpp ${CMAKE_CURRENT_LIST_DIR}/StatusClockTest.cpp
                 LIBS ZAVEKPluginCore)
endif()

# Tests of the plug-in core's units.
zavek_add_test(NAME plugin_BusyState SOURCES ${CMAKE_CURRENT_LIST_DIR}/BusyStateTest.cpp
               LIBS ZAVEKPluginPortable NATIVE)
zavek_add_test(NAME plugin_PluginCommands SOURCES ${CMAKE_CURRENT_LIST_DIR}/PluginCommandsTest.cpp
               LIBS ZAVEKPluginPortable NATIVE)
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME plugin_WindowsUnits
                 SOURCES ${CMAKE_CURRENT_LIST_DIR}/WatchdogTest.cpp ${CMAKE_CURRENT_LIST_DIR}/SubclassRegistryTest.cpp
                         ${CMAKE_CURRENT_LIST_DIR}/PMInterfaceTest.cpp
                 LIBS ZAVEKPluginCore)
endif()

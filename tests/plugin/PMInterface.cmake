# Tests of the mail-client interface: its portable rules (both builds) and its editor pages.
zavek_add_test(NAME plugin_PMInterfaceRules SOURCES ${CMAKE_CURRENT_LIST_DIR}/PMInterfaceRulesTest.cpp
               LIBS ZAVEKPluginPortable NATIVE)
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME plugin_PMInterfacePages SOURCES ${CMAKE_CURRENT_LIST_DIR}/PMInterfacePagesTest.cpp
                 LIBS ZAVEKPluginCore)
  target_compile_definitions(plugin_PMInterfacePages PRIVATE ZAVEK_RESOURCES_DIR="${PROJECT_SOURCE_DIR}/resources")
endif()

# Tests of the mail-client interface's portable rules (both builds).
zavek_add_test(NAME plugin_PMInterfaceRules SOURCES ${CMAKE_CURRENT_LIST_DIR}/PMInterfaceRulesTest.cpp
               LIBS ZAVEKPluginPortable NATIVE)

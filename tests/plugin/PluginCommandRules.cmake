# Tests of the plug-in's command table and the texts of its menu commands.
zavek_add_test(NAME plugin_PluginCommandRules SOURCES ${CMAKE_CURRENT_LIST_DIR}/PluginCommandRulesTest.cpp
               LIBS ZAVEKPluginCommandRules ZAVEKHostWindowRules NATIVE)

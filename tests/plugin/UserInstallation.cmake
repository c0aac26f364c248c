# Per-user installation: the line rules (native too) and the unit on scratch folders under Wine.
zavek_add_test(NAME plugin_UserInstallationRules SOURCES ${CMAKE_CURRENT_LIST_DIR}/UserInstallationRulesTest.cpp
               LIBS ZAVEKUserInstallationRules NATIVE)
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME plugin_UserInstallation SOURCES ${CMAKE_CURRENT_LIST_DIR}/UserInstallationTest.cpp
                 LIBS ZAVEKUserInstallation ZAVEKPluginCore)
  # Shell links must not become desktop entries of the machine running the tests.
  set_tests_properties(plugin_UserInstallation PROPERTIES ENVIRONMENT "WINEDLLOVERRIDES=winemenubuilder.exe=d")
endif()
zavek_add_fuzzer(NAME UserInstallationRulesFuzz SOURCE ${CMAKE_CURRENT_LIST_DIR}/UserInstallationRulesFuzz.cpp
                 LIBS ZAVEKUserInstallationRules CORPUS ${PROJECT_SOURCE_DIR}/tests/data/plugin/userlist_corpus)

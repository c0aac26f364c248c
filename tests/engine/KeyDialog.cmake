# The key selection dialog: its rules in both builds (and their fuzz target); the dialog itself under Wine, driven by a
# timer on the dialog's own thread, over key lists read from the GnuPG-made key rings.
zavek_add_test(NAME KeyDialogRulesTest NATIVE SOURCES ${CMAKE_CURRENT_LIST_DIR}/KeyDialogRulesTest.cpp
  LIBS zavek_keydialog_rules)
zavek_add_fuzzer(NAME KeyDialogRulesFuzz SOURCE ${CMAKE_CURRENT_LIST_DIR}/KeyDialogRulesFuzz.cpp
  LIBS zavek_keydialog_rules CORPUS ${PROJECT_SOURCE_DIR}/tests/data/keydialog/fuzz)
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME KeyDialogTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/KeyDialogTest.cpp
    LIBS zavek_keydialog_assist zavek_keyfuncs)
  target_compile_definitions(KeyDialogTest PRIVATE ZAVEK_PGPSDK_VARIANTS="${CMAKE_BINARY_DIR}/pgpsdk"
                             ZAVEK_KEY_FIXTURES="${CMAKE_BINARY_DIR}/keyfixtures")
  add_dependencies(KeyDialogTest pgpsdk_variant_g13 key_fixtures)
  # Its visible windows take the activation from the window tests: one at a time on the display.
  set_tests_properties(KeyDialogTest PROPERTIES RESOURCE_LOCK display_focus)
endif()

# Small controls: the spin edit's rules natively too, the controls themselves under Wine (they
# move the focus, so the program takes its turn on the display).
zavek_add_test(NAME spin_rules_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/SpinRulesTest.cpp LIBS zavek_spin_rules NATIVE)
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME small_controls_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/SmallControlsTest.cpp
    LIBS zavek_small_controls zavek_ui_harness)
  set_tests_properties(small_controls_test PROPERTIES RESOURCE_LOCK display_focus)
endif()

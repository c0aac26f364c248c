# The grid's rules, natively (sanitizers) and under Wine.
zavek_add_test(NAME dropgrid_rules_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/DropGridRulesTest.cpp
  LIBS zavek_dropgrid_rules NATIVE)

# Tooltip tests under Wine: placement arithmetic, tool bookkeeping, live tips, rich tips and the
# tracking routines. Tips take the mouse capture and the focus: the program takes its turn.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME tooltip_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/ToolTipTest.cpp
    LIBS zavek_tooltip zavek_ui_harness)
  set_tests_properties(tooltip_test PROPERTIES RESOURCE_LOCK display_focus)
endif()

# Framed panel, gauge and coloured grip tests under Wine (pixels of a shown form).
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME panels_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/PanelsTest.cpp
    LIBS zavek_panels zavek_ui_harness)
  set_tests_properties(panels_test PROPERTIES RESOURCE_LOCK display_focus)
endif()

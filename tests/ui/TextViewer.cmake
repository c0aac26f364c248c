# The text viewer: its rules in both builds; the viewer itself under Wine with the dialog answerer
# (part texts, a mail folder of the stand-in main object, sorting, search, saving, printing).
zavek_add_test(NAME textviewer_rules_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/TextViewerRulesTest.cpp
  LIBS zavek_textviewer_rules NATIVE)
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME textviewer_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/TextViewerTest.cpp ${CMAKE_CURRENT_LIST_DIR}/UiTestResources.rc
    LIBS zavek_textviewer zavek_ui_harness TIMEOUT 180)
  # Its searches follow keys into the foreground window: nothing else may run beside it.
  set_tests_properties(textviewer_test PROPERTIES RESOURCE_LOCK display_focus RUN_SERIAL TRUE)
endif()

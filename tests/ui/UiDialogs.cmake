# Tests of the base form and the message dialog under Wine, with the framework's UI harness.
# Pictures of the dialogs go to captures/ in the build tree.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME ui_dialogs_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/MessageDialogTest.cpp ${CMAKE_CURRENT_LIST_DIR}/BaseFormTest.cpp
            ${CMAKE_CURRENT_LIST_DIR}/ControlsTest.cpp ${CMAKE_CURRENT_LIST_DIR}/UiTestResources.rc
    LIBS zavek_ui_dialogs zavek_ui_harness TIMEOUT 120)
  set_tests_properties(ui_dialogs_test PROPERTIES RESOURCE_LOCK display_focus
    ENVIRONMENT "ZAVEK_CAPTURE_DIR=${CMAKE_CURRENT_BINARY_DIR}/captures")
  file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/captures)

  # Real-time waits of 5 to 12 seconds in a program of their own; its dialogs take the focus when
  # they show, so it takes its turn on the display too.
  zavek_add_test(NAME ui_autoclose_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/AutoCloseTest.cpp
    LIBS zavek_ui_dialogs zavek_ui_harness TIMEOUT 120)
  set_tests_properties(ui_autoclose_test PROPERTIES RESOURCE_LOCK display_focus)
endif()

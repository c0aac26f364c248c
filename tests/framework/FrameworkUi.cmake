# Tests of the forms and controls, run under Wine and Xvfb, with the headless UI harness.
if(ZAVEK_WINDOWS)
  add_library(zavek_ui_harness STATIC
    ${CMAKE_CURRENT_LIST_DIR}/harness/DialogAnswerer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/harness/KeyInjector.cpp
    ${CMAKE_CURRENT_LIST_DIR}/harness/WindowCapture.cpp)
  target_include_directories(zavek_ui_harness PUBLIC ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(zavek_ui_harness PUBLIC zavek_framework)

  zavek_add_test(NAME framework_ui_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/FormsTest.cpp ${CMAKE_CURRENT_LIST_DIR}/ComCtrlsTest.cpp
            ${CMAKE_CURRENT_LIST_DIR}/ApplicationTest.cpp ${CMAKE_CURRENT_LIST_DIR}/StdCtrlsTest.cpp
    LIBS zavek_ui_harness)
  # Keyboard tests need the display's focus: programs that show windows take turns.
  set_tests_properties(framework_ui_test PROPERTIES RESOURCE_LOCK display_focus)
  # Tear-down ends the framework's state: a program of its own.
  zavek_add_test(NAME framework_unload_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/UnloadTest.cpp
    LIBS zavek_framework)
endif()
if(ZAVEK_WINDOWS)
  set_tests_properties(framework_unload_test PROPERTIES RESOURCE_LOCK display_focus)
endif()

# Tests of the forms and controls, run under Wine and Xvfb, with the headless UI harness.
if(ZAVEK_WINDOWS)
  add_library(zavek_ui_harness STATIC
    ${CMAKE_CURRENT_LIST_DIR}/harness/DialogAnswerer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/harness/KeyInjector.cpp
    ${CMAKE_CURRENT_LIST_DIR}/harness/WindowCapture.cpp)
  target_include_directories(zavek_ui_harness PUBLIC ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(zavek_ui_harness PUBLIC zavek_framework)

  zavek_add_test(NAME framework_ui_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/FormsTest.cpp
    LIBS zavek_ui_harness)
endif()

# Tests of Processes, WindowUtils and UxThemes under Wine+Xvfb; the child program gives them a
# foreign process with a visible or a hidden top-level window.
if(ZAVEK_WINDOWS)
  # One copy per test program, so that programs run side by side never see each other's child.
  add_executable(procwin_child WIN32 ${CMAKE_CURRENT_LIST_DIR}/ProcWinChild.cpp)
  add_executable(procwin_window_child WIN32 ${CMAKE_CURRENT_LIST_DIR}/ProcWinChild.cpp)
  zavek_add_test(NAME processes_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ProcessesTest.cpp
    LIBS Processes)
  add_dependencies(processes_test procwin_child)
endif()

if(ZAVEK_WINDOWS)
  zavek_add_test(NAME window_utils_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/WindowUtilsTest.cpp ${CMAKE_CURRENT_LIST_DIR}/UxThemesTest.cpp
    LIBS WindowUtils)
  add_dependencies(window_utils_test procwin_window_child)
  # Its visible windows take the activation from the window tests: one at a time on the display.
  set_tests_properties(window_utils_test PROPERTIES RESOURCE_LOCK display_focus)
endif()

# End-to-end tests of the plug-in's additions to the stand-in mail client's windows.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME e2e_HostWindows
                 SOURCES ${CMAKE_CURRENT_LIST_DIR}/HostWindowsTest.cpp ${CMAKE_CURRENT_LIST_DIR}/HostSession.cpp
                 TIMEOUT 600)
  target_compile_definitions(e2e_HostWindows PRIVATE ZAVEK_STAGE_DIR="${ZAVEK_STAGE_DIR}")
  add_dependencies(e2e_HostWindows stage)
  # The stand-in's windows take the foreground; tests of focus and keys elsewhere must not run meanwhile.
  set_tests_properties(e2e_HostWindows PROPERTIES RUN_SERIAL TRUE)
endif()

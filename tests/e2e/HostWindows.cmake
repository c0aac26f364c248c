# End-to-end tests of the plug-in's additions to the stand-in mail client's windows.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME e2e_HostWindows
                 SOURCES ${CMAKE_CURRENT_LIST_DIR}/HostWindowsTest.cpp
                 LIBS e2e_session TIMEOUT 600)
  # The stand-in's windows take the foreground; tests of focus and keys elsewhere must not run meanwhile.
  set_tests_properties(e2e_HostWindows PROPERTIES RUN_SERIAL TRUE)
endif()

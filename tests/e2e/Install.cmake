# End-to-end tests of set-up, removal and clean-up through the staged helper and administrator programs.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME e2e_Install SOURCES ${CMAKE_CURRENT_LIST_DIR}/InstallTest.cpp
                 LIBS e2e_session zavek_helper_commands TIMEOUT 600)
  # The stand-in help viewer is the help tests' stand-in browser.
  add_dependencies(e2e_Install HelpBrowserStub)
  # Writes the mail client's registry values and the shared users list; start-menu links must not
  # become desktop entries of the machine running the tests.
  set_tests_properties(e2e_Install PROPERTIES RUN_SERIAL TRUE ENVIRONMENT "WINEDLLOVERRIDES=winemenubuilder.exe=d")
endif()

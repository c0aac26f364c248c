# The PGP dialogs: the client-library adapters (generation 1 against a fake procedure table) and
# the key-server record in both builds; the hooks, passphrase and selection
# dialogs and key import and export under Wine, answered by the stand-in's answers file.
zavek_add_test(NAME ClientLibraryTest NATIVE SOURCES ${CMAKE_CURRENT_LIST_DIR}/ClientLibraryTest.cpp
  LIBS zavek_pgpcl)
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME PGPDialogsTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/PGPDialogsTest.cpp LIBS zavek_pgpdialogs)
  target_compile_definitions(PGPDialogsTest PRIVATE ZAVEK_PGPSDK_VARIANTS="${CMAKE_BINARY_DIR}/pgpsdk"
                             ZAVEK_KEY_FIXTURES="${CMAKE_BINARY_DIR}/keyfixtures")
  add_dependencies(PGPDialogsTest pgpsdk_variant_g13 key_fixtures)
  # Its visible windows take the activation from the window tests: one at a time on the display.
  set_tests_properties(PGPDialogsTest PROPERTIES RESOURCE_LOCK display_focus)
  zavek_add_test(NAME PGPDialogsInputTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/PGPDialogsInputTest.cpp
    LIBS zavek_pgpdialogs)
  target_compile_definitions(PGPDialogsInputTest PRIVATE ZAVEK_PGPSDK_VARIANTS="${CMAKE_BINARY_DIR}/pgpsdk"
                             ZAVEK_KEY_FIXTURES="${CMAKE_BINARY_DIR}/keyfixtures")
  add_dependencies(PGPDialogsInputTest pgpsdk_variant_g13 key_fixtures)
  # Mouse and keyboard input go to the one display: nothing else may run meanwhile.
  set_tests_properties(PGPDialogsInputTest PROPERTIES RUN_SERIAL TRUE)
endif()

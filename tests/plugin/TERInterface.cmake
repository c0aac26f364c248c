# The editor interface: its text rules in both builds; the interface against the stand-in editor
# library under Wine, and in a process of its own the library choice and the variant without the
# two newest flag calls.
zavek_add_test(NAME plugin_TERInterfaceText NATIVE SOURCES ${CMAKE_CURRENT_LIST_DIR}/TERInterfaceTextTest.cpp
               LIBS TERInterfaceText)
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME plugin_TERInterface SOURCES ${CMAKE_CURRENT_LIST_DIR}/TERInterfaceTest.cpp LIBS TERInterface)
  add_dependencies(plugin_TERInterface StandInTer32 StandInHts32)
  # Its visible windows take the activation from the window tests: one at a time on the display.
  set_tests_properties(plugin_TERInterface PROPERTIES RESOURCE_LOCK display_focus)
  zavek_add_test(NAME plugin_TERVariants SOURCES ${CMAKE_CURRENT_LIST_DIR}/TERVariantsTest.cpp LIBS TERInterface)
  add_dependencies(plugin_TERVariants StandInTer17 StandInTer32Minimal)
  target_compile_definitions(plugin_TERVariants PRIVATE
                             ZAVEK_EDITOR_VARIANTS="${CMAKE_BINARY_DIR}/bin/editor-variants")
endif()
zavek_add_fuzzer(NAME TERInterfaceTextFuzz SOURCE ${CMAKE_CURRENT_LIST_DIR}/TERInterfaceTextFuzz.cpp
                 LIBS TERInterfaceText HtsTerPictures CORPUS ${PROJECT_SOURCE_DIR}/tests/data/plugin/terinterface_corpus)

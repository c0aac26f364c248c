# End-to-end tests of loading the plug-in into the stand-in mail client (needs the staged tree).
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME e2e_PluginLoad
                 SOURCES ${CMAKE_CURRENT_LIST_DIR}/PluginLoadTest.cpp
                 LIBS e2e_session TIMEOUT 600)
  # The stand-in's windows take the foreground; tests of focus and keys elsewhere must not run meanwhile.
  set_tests_properties(e2e_PluginLoad PROPERTIES RUN_SERIAL TRUE)
endif()
zavek_add_test(NAME e2e_HostScript
               SOURCES ${CMAKE_CURRENT_LIST_DIR}/HostScriptTest.cpp ${PROJECT_SOURCE_DIR}/standins/host/HostScript.cpp
               NATIVE)

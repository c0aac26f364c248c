# End-to-end tests of the plug-in's menu commands in the stand-in mail client.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME e2e_PluginCommands SOURCES ${CMAKE_CURRENT_LIST_DIR}/PluginCommandsTest.cpp
                 LIBS e2e_session TIMEOUT 600)
  target_compile_definitions(e2e_PluginCommands PRIVATE ZAVEK_DECROAD_MESSAGES="${CMAKE_BINARY_DIR}/decroadmessages")
  add_dependencies(e2e_PluginCommands decroad_messages)
  # Its message dialogs take the foreground.
  set_tests_properties(e2e_PluginCommands PROPERTIES RUN_SERIAL TRUE)
endif()

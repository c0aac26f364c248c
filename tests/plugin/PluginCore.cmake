# Tests of the plug-in core's units.
zavek_add_test(NAME plugin_BusyState SOURCES ${CMAKE_CURRENT_LIST_DIR}/BusyStateTest.cpp
               LIBS ZAVEKPluginPortable NATIVE)
zavek_add_test(NAME plugin_PluginCommands SOURCES ${CMAKE_CURRENT_LIST_DIR}/PluginCommandsTest.cpp
               LIBS ZAVEKPluginPortable NATIVE)
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME plugin_WindowsUnits
                 SOURCES ${CMAKE_CURRENT_LIST_DIR}/WatchdogTest.cpp
                         ${CMAKE_CURRENT_LIST_DIR}/PMInterfaceTest.cpp
                 LIBS ZAVEKPluginCore)
endif()
# The message model's services of the plug-in, with libtidy copied beside the test program.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME plugin_MailServicesHost SOURCES ${CMAKE_CURRENT_LIST_DIR}/MailServicesHostTest.cpp
                 LIBS ZAVEKPluginCore)
  if(EXISTS ${ZAVEK_LIBTIDY_DLL})
    add_custom_command(TARGET plugin_MailServicesHost POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E make_directory $<TARGET_FILE_DIR:plugin_MailServicesHost>/tidy
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ZAVEK_LIBTIDY_DLL} $<TARGET_FILE_DIR:plugin_MailServicesHost>/tidy/LibTidy.dll)
  endif()
endif()

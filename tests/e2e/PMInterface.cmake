# The mail-client interface inside the stand-in mail client: a test plug-in runs its operations
# and the host's log shows each request and each result.
if(ZAVEK_WINDOWS)
  add_library(PMInterfaceProbe SHARED ${CMAKE_CURRENT_LIST_DIR}/PMInterfaceProbe.cpp
                                      ${CMAKE_CURRENT_LIST_DIR}/PMInterfaceProbe.def)
  target_link_libraries(PMInterfaceProbe PRIVATE ZAVEKPluginCore)
  set_target_properties(PMInterfaceProbe PROPERTIES PREFIX "" OUTPUT_NAME PMInterfaceProbe)
  zavek_stage(PMInterfaceProbe Probe)

  zavek_add_test(NAME e2e_PMInterface
                 SOURCES ${CMAKE_CURRENT_LIST_DIR}/PMInterfaceTest.cpp
                 LIBS e2e_session TIMEOUT 600)
  # The stand-in's windows take the foreground and it writes the mail client's registry values.
  set_tests_properties(e2e_PMInterface PROPERTIES RUN_SERIAL TRUE)
endif()

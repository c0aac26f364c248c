# End to end: keys imported with MANAGE, exported, described and deleted in the stand-in mail client;
# GnuPG on Linux then checks what the plug-in wrote (after e2e_KeyManagement).
if(ZAVEK_WINDOWS)
  set(KEYMGMT_OUT ${CMAKE_BINARY_DIR}/keymanagement-e2e)
  zavek_add_test(NAME e2e_KeyManagement SOURCES ${CMAKE_CURRENT_LIST_DIR}/KeyManagementTest.cpp
                 LIBS e2e_session TIMEOUT 600)
  target_compile_definitions(e2e_KeyManagement PRIVATE ZAVEK_KEYMGMT_OUT="${KEYMGMT_OUT}")
  # Its message dialogs take the foreground.
  set_tests_properties(e2e_KeyManagement PROPERTIES RUN_SERIAL TRUE FIXTURES_SETUP key_management_output)
  add_test(NAME GpgChecksKeyManagement
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/gpg-checks-key-management.sh ${CMAKE_BINARY_DIR}/keyfixtures ${KEYMGMT_OUT})
  set_tests_properties(GpgChecksKeyManagement PROPERTIES FIXTURES_REQUIRED key_management_output TIMEOUT 120)
endif()

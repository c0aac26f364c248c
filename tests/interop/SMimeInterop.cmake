# openssl and gpgsm on Linux check what SMimeStandInTest's encoder and e2e_SMimeRoad's editor wrote
# under Wine.
if(ZAVEK_WINDOWS)
  add_test(NAME SMimeInteropTest
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/smime-interop.sh ${CMAKE_BINARY_DIR}/smimefixtures
            ${CMAKE_BINARY_DIR}/smime-interop)
  set_tests_properties(SMimeInteropTest PROPERTIES FIXTURES_REQUIRED "smime_output;smime_editor_output" TIMEOUT 120)
endif()

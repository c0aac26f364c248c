# End-to-end tests of the recipient list in the stand-in mail client; GnuPG on Linux then checks
# that the message went to the key the user chose.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME e2e_RecipientList
                 SOURCES ${CMAKE_CURRENT_LIST_DIR}/RecipientListTest.cpp
                 LIBS e2e_session TIMEOUT 600)
  target_compile_definitions(e2e_RecipientList PRIVATE ZAVEK_RECIPIENT_OUT="${CMAKE_BINARY_DIR}/recipient-choice")
  # The stand-in's windows and the plug-in's dialogs take the foreground.
  set_tests_properties(e2e_RecipientList PROPERTIES RUN_SERIAL TRUE FIXTURES_SETUP recipient_choice)
  add_test(NAME GpgReadsRecipientChoice
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/gpg-reads-recipient-choice.sh ${CMAKE_BINARY_DIR}/keyfixtures
            ${CMAKE_BINARY_DIR}/recipient-choice)
  set_tests_properties(GpgReadsRecipientChoice PROPERTIES FIXTURES_REQUIRED recipient_choice TIMEOUT 120)
endif()

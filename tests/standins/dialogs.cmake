# Tests of the stand-in's passphrase dialogs: the answers file natively, the dialogs under Wine
# (beside the generation-13 SDK, whose libraries the test links).
zavek_add_test(NAME DialogAnswersTest NATIVE SOURCES ${CMAKE_CURRENT_LIST_DIR}/DialogAnswersTest.cpp
               ${PROJECT_SOURCE_DIR}/standins/pgpsdk/DialogAnswers.cpp)
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME PassphraseDialogTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/PassphraseDialogTest.cpp
                 LIBS PGPSDK_g13 PGPsdkUI)
  set_target_properties(PassphraseDialogTest PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/pgpsdk/g13)
  add_dependencies(PassphraseDialogTest pgpsdk_variant_g13)
endif()

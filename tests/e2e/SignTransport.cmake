# A message signed on the SIGN road passes a transport that strips blanks at line ends; GnuPG on
# Linux then verifies the signature (the shell check runs after the Wine test).
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME e2e_SignTransport
                 SOURCES ${CMAKE_CURRENT_LIST_DIR}/SignTransportTest.cpp
                 LIBS e2e_session TIMEOUT 300)
  target_compile_definitions(e2e_SignTransport PRIVATE ZAVEK_SIGN_TRANSPORT_OUT="${CMAKE_BINARY_DIR}/sign-transport")
  set_tests_properties(e2e_SignTransport PROPERTIES RUN_SERIAL TRUE FIXTURES_SETUP sign_transport)
  add_test(NAME GpgVerifiesAfterTransport
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/gpg-verifies-after-transport.sh ${CMAKE_BINARY_DIR}/keyfixtures
            ${CMAKE_BINARY_DIR}/sign-transport)
  set_tests_properties(GpgVerifiesAfterTransport PROPERTIES FIXTURES_REQUIRED sign_transport TIMEOUT 120)
endif()

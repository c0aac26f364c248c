# End-to-end tests with two OpenPGP programs besides GnuPG, Sequoia's sq and RNP, both ways: keys
# and messages they make at build time (tests/data/peers/make-peers.sh), and sq and rnp on Linux
# reading what the plug-in wrote (peers-read-plugin.sh, after e2e_Peers).
if(ZAVEK_WINDOWS)
  set(PEERS_DATA ${CMAKE_BINARY_DIR}/peers)
  add_custom_command(OUTPUT ${PEERS_DATA}/keyids.txt
    COMMAND ${PROJECT_SOURCE_DIR}/tests/data/peers/make-peers.sh ${PEERS_DATA} > ${PEERS_DATA}.log 2>&1
    DEPENDS ${PROJECT_SOURCE_DIR}/tests/data/peers/make-peers.sh ${PROJECT_SOURCE_DIR}/tests/data/gpg-home.sh
    COMMENT "Making keys and messages with sq, rnp and GnuPG")
  add_custom_target(peers_data ALL DEPENDS ${PEERS_DATA}/keyids.txt)
  zavek_add_test(NAME e2e_Peers SOURCES ${CMAKE_CURRENT_LIST_DIR}/PeersTest.cpp LIBS e2e_session TIMEOUT 900)
  target_compile_definitions(e2e_Peers PRIVATE ZAVEK_PEERS="${PEERS_DATA}"
                                               ZAVEK_PEERS_OUT="${CMAKE_BINARY_DIR}/peers-output")
  add_dependencies(e2e_Peers peers_data)
  set_tests_properties(e2e_Peers PROPERTIES RUN_SERIAL TRUE FIXTURES_SETUP peers_output)
  add_test(NAME PeersReadPlugin
    COMMAND bash ${PROJECT_SOURCE_DIR}/tests/interop/peers-read-plugin.sh ${PEERS_DATA} ${CMAKE_BINARY_DIR}/peers-output)
  set_tests_properties(PeersReadPlugin PROPERTIES FIXTURES_REQUIRED peers_output TIMEOUT 120)
endif()

# End-to-end tests of the decrypt road in the stand-in mail client, on messages GnuPG encrypts at
# build time to a key of the sessions' key rings.
if(ZAVEK_WINDOWS)
  set(DECROAD_MESSAGES ${CMAKE_BINARY_DIR}/decroadmessages)
  add_custom_command(OUTPUT ${DECROAD_MESSAGES}/to-bob.asc ${DECROAD_MESSAGES}/to-bob-tampered.asc
                            ${DECROAD_MESSAGES}/signed-by-ann.asc ${DECROAD_MESSAGES}/to-ann.asc
                            ${DECROAD_MESSAGES}/signed-to-bob.asc
                            ${DECROAD_MESSAGES}/to-ann-signed-by-bob.asc ${DECROAD_MESSAGES}/mime-to-ann-signed-by-bob.asc
                            ${DECROAD_MESSAGES}/mime-html-to-bob.asc ${DECROAD_MESSAGES}/nested-signed.eml
    COMMAND ${PROJECT_SOURCE_DIR}/tests/data/decroad/make-messages.sh ${CMAKE_BINARY_DIR}/keyfixtures
            ${DECROAD_MESSAGES} > ${DECROAD_MESSAGES}.log 2>&1
    DEPENDS ${PROJECT_SOURCE_DIR}/tests/data/decroad/make-messages.sh
            ${PROJECT_SOURCE_DIR}/tests/data/decroad/nested-messages.sh ${PROJECT_SOURCE_DIR}/tests/data/gpg-home.sh ${CMAKE_BINARY_DIR}/keyfixtures/pubring.pkr
    COMMENT "Encrypting the decrypt road's messages with GnuPG")
  add_custom_command(OUTPUT ${DECROAD_MESSAGES}/shapes/efail.eml
    COMMAND ${PROJECT_SOURCE_DIR}/tests/data/decroad/make-shapes.sh ${CMAKE_BINARY_DIR}/keyfixtures
            ${DECROAD_MESSAGES}/shapes > ${DECROAD_MESSAGES}-shapes.log 2>&1
    DEPENDS ${PROJECT_SOURCE_DIR}/tests/data/decroad/make-shapes.sh ${PROJECT_SOURCE_DIR}/tests/data/decroad/walk-shapes.sh
            ${PROJECT_SOURCE_DIR}/tests/data/decroad/partly-signed.sh
            ${PROJECT_SOURCE_DIR}/tests/data/gpg-home.sh ${CMAKE_BINARY_DIR}/keyfixtures/pubring.pkr
    COMMENT "Writing the decrypt road's messages in other mail clients' shapes with GnuPG")
  add_custom_target(decroad_messages ALL DEPENDS ${DECROAD_MESSAGES}/to-bob.asc ${DECROAD_MESSAGES}/shapes/efail.eml)
  add_dependencies(decroad_messages key_fixtures)
  zavek_add_test(NAME e2e_DecryptRoad SOURCES ${CMAKE_CURRENT_LIST_DIR}/DecryptRoadTest.cpp
                 LIBS e2e_session TIMEOUT 600)
  target_compile_definitions(e2e_DecryptRoad PRIVATE ZAVEK_DECROAD_MESSAGES="${DECROAD_MESSAGES}")
  add_dependencies(e2e_DecryptRoad decroad_messages)
  # Its message dialogs take the foreground.
  set_tests_properties(e2e_DecryptRoad PROPERTIES RUN_SERIAL TRUE)
endif()

# End-to-end test of the viewers reached from a reader, on a message GnuPG makes at build time.
if(ZAVEK_WINDOWS)
  set(VIEWER_MESSAGES ${CMAKE_BINARY_DIR}/viewermessages)
  add_custom_command(OUTPUT ${VIEWER_MESSAGES}/message.cnm
    COMMAND ${PROJECT_SOURCE_DIR}/tests/data/viewers/make-message.sh ${CMAKE_BINARY_DIR}/keyfixtures
            ${VIEWER_MESSAGES} > ${VIEWER_MESSAGES}.log 2>&1
    DEPENDS ${PROJECT_SOURCE_DIR}/tests/data/viewers/make-message.sh ${PROJECT_SOURCE_DIR}/tests/data/gpg-home.sh ${CMAKE_BINARY_DIR}/keyfixtures/pubring.pkr
    COMMENT "Encrypting the viewers' message with GnuPG")
  add_custom_target(viewer_messages ALL DEPENDS ${VIEWER_MESSAGES}/message.cnm)
  add_dependencies(viewer_messages key_fixtures)
  zavek_add_test(NAME e2e_Viewers SOURCES ${CMAKE_CURRENT_LIST_DIR}/ViewersTest.cpp
                 LIBS e2e_session winspool TIMEOUT 600)
  target_compile_definitions(e2e_Viewers PRIVATE ZAVEK_VIEWER_MESSAGES="${VIEWER_MESSAGES}")
  add_dependencies(e2e_Viewers viewer_messages)
  # Its viewers take the foreground; it compares the temporary folder before and after.
  set_tests_properties(e2e_Viewers PROPERTIES RUN_SERIAL TRUE RESOURCE_LOCK display_focus)
endif()

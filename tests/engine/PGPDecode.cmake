# The decoder: its signature-state rule in both builds; decoding under Wine against the stand-in
# SDK, on key rings and messages GnuPG makes at build time.
zavek_add_test(NAME PGPDecodeSigTest NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PGPDecodeSigTest.cpp
  LIBS zavek_decode_state)
if(ZAVEK_WINDOWS)
  set(DECODER_FIXTURES ${CMAKE_BINARY_DIR}/decoderfixtures)
  add_custom_command(OUTPUT ${DECODER_FIXTURES}/pubring.pkr
    COMMAND ${PROJECT_SOURCE_DIR}/tests/data/decoder/make-messages.sh ${DECODER_FIXTURES}
            > ${DECODER_FIXTURES}.log 2>&1
    DEPENDS ${PROJECT_SOURCE_DIR}/tests/data/decoder/make-messages.sh
    COMMENT "Making the decoder test keys and messages with GnuPG")
  add_custom_target(decoder_fixtures ALL DEPENDS ${DECODER_FIXTURES}/pubring.pkr)
  zavek_add_test(NAME PGPDecodeStandInTest
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/PGPDecodeStandInTest.cpp
    LIBS zavek_pgpiface)
  target_compile_definitions(PGPDecodeStandInTest PRIVATE ZAVEK_PGPSDK_VARIANTS="${CMAKE_BINARY_DIR}/pgpsdk"
                             ZAVEK_DECODER_FIXTURES="${DECODER_FIXTURES}")
  add_dependencies(PGPDecodeStandInTest pgpsdk_variant_g13 decoder_fixtures)
endif()

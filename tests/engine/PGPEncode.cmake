# The encoder: its rules in both builds; the encoder and the interface's encode operations under
# Wine against the stand-in SDK on the GnuPG-made key rings. Its outputs stay in encoder-interop/
# for the gpg check of tests/interop/EncoderGpg.cmake.
zavek_add_test(NAME PGPEncodeRulesTest NATIVE SOURCES ${CMAKE_CURRENT_LIST_DIR}/PGPEncodeRulesTest.cpp
  LIBS zavek_encode_rules)
if(ZAVEK_WINDOWS)
  # Seconds of key work alone; a CI machine busy with six other tests takes several times that.
  zavek_add_test(NAME PGPEncodeStandInTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/PGPEncodeStandInTest.cpp
    LIBS zavek_pgpiface zavek_encode TIMEOUT 180)
  target_compile_definitions(PGPEncodeStandInTest PRIVATE ZAVEK_PGPSDK_VARIANTS="${CMAKE_BINARY_DIR}/pgpsdk"
                             ZAVEK_KEY_FIXTURES="${CMAKE_BINARY_DIR}/keyfixtures"
                             ZAVEK_ENCODER_OUT="${CMAKE_BINARY_DIR}/encoder-interop")
  add_dependencies(PGPEncodeStandInTest pgpsdk_variant_g13 key_fixtures)
  set_tests_properties(PGPEncodeStandInTest PROPERTIES FIXTURES_SETUP encoder_output)
endif()

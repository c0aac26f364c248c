# GnuPG on Linux checks what the encoder test wrote under Wine (after PGPEncodeStandInTest).
if(ZAVEK_WINDOWS)
  add_test(NAME GpgReadsEncoderOutput
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/gpg-reads-encoder.sh ${CMAKE_BINARY_DIR}/keyfixtures
            ${CMAKE_BINARY_DIR}/encoder-interop)
  set_tests_properties(GpgReadsEncoderOutput PROPERTIES FIXTURES_REQUIRED encoder_output TIMEOUT 120)
endif()

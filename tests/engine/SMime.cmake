# S/MIME through the decoder and the encoder under Wine against the stand-in SDK, on certificates
# and messages openssl makes at build time (tests/data/smime/make-smime.sh). The encoder's output
# stays in smime-interop/ for tests/interop/SMimeInterop.cmake.
if(ZAVEK_WINDOWS)
  set(SMIME_FIXTURES ${CMAKE_BINARY_DIR}/smimefixtures)
  add_custom_command(OUTPUT ${SMIME_FIXTURES}/signed-encrypted.eml
    COMMAND ${PROJECT_SOURCE_DIR}/tests/data/smime/make-smime.sh ${SMIME_FIXTURES} > ${SMIME_FIXTURES}.log 2>&1
    DEPENDS ${PROJECT_SOURCE_DIR}/tests/data/smime/make-smime.sh ${PROJECT_SOURCE_DIR}/tests/data/smime/signer-infos.py
    COMMENT "Making the S/MIME certificates and messages with openssl")
  add_custom_target(smime_fixtures ALL DEPENDS ${SMIME_FIXTURES}/signed-encrypted.eml)
  # About 7 s of RSA and certificate work alone, CPU-bound: under a loaded CI run it took 55 s.
  zavek_add_test(NAME SMimeStandInTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/SMimeStandInTest.cpp
    LIBS zavek_pgpiface TIMEOUT 180)
  target_compile_definitions(SMimeStandInTest PRIVATE ZAVEK_PGPSDK_VARIANTS="${CMAKE_BINARY_DIR}/pgpsdk"
                             ZAVEK_KEY_FIXTURES="${CMAKE_BINARY_DIR}/keyfixtures"
                             ZAVEK_SMIME_FIXTURES="${SMIME_FIXTURES}" ZAVEK_SMIME_OUT="${CMAKE_BINARY_DIR}/smime-interop")
  add_dependencies(SMimeStandInTest pgpsdk_variant_g13 key_fixtures smime_fixtures)
  set_tests_properties(SMimeStandInTest PROPERTIES FIXTURES_SETUP smime_output)
endif()

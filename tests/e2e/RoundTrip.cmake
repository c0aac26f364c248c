# Round trips of the encrypt and decrypt roads in the stand-in mail client; GnuPG on Linux then
# reads every message the plug-in wrote (roundtrip-output/).
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME e2e_RoundTrip SOURCES ${CMAKE_CURRENT_LIST_DIR}/RoundTripTest.cpp
                 LIBS e2e_session TIMEOUT 900)
  target_compile_definitions(e2e_RoundTrip PRIVATE ZAVEK_ROUNDTRIP_OUT="${CMAKE_BINARY_DIR}/roundtrip-output")
  set_tests_properties(e2e_RoundTrip PROPERTIES RUN_SERIAL TRUE FIXTURES_SETUP roundtrip_output)
  add_test(NAME GpgReadsRoundTrips
    COMMAND bash ${PROJECT_SOURCE_DIR}/tests/interop/gpg-reads-roundtrips.sh ${CMAKE_BINARY_DIR}/keyfixtures
            ${CMAKE_BINARY_DIR}/roundtrip-output)
  set_tests_properties(GpgReadsRoundTrips PROPERTIES FIXTURES_REQUIRED roundtrip_output TIMEOUT 120)
endif()

# The PGP interface: its rules and texts in both builds; the interface object under Wine against
# the stand-in SDK's key database on the key rings GnuPG makes at build time.
zavek_add_test(NAME PGPInterfaceTextsTest NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PGPInterfaceTextsTest.cpp
  LIBS zavek_pgpiface_texts)
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME PGPInterfaceStandInTest
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/PGPInterfaceStandInTest.cpp
    LIBS zavek_pgpiface)
  target_compile_definitions(PGPInterfaceStandInTest PRIVATE ZAVEK_PGPSDK_VARIANTS="${CMAKE_BINARY_DIR}/pgpsdk"
                             ZAVEK_KEY_FIXTURES="${CMAKE_BINARY_DIR}/keyfixtures")
  add_dependencies(PGPInterfaceStandInTest pgpsdk_variant_g13 key_fixtures)
endif()
# Key-server search against a small HKP server (Python's http.server over GnuPG) on 127.0.0.1.
find_program(ZAVEK_PYTHON3 python3)
if(ZAVEK_WINDOWS AND ZAVEK_PYTHON3)
  # One case waits out the search's 20-second time-out, and the HKP server starts per test.
  zavek_add_test(NAME KeyServerStandInTest TIMEOUT 120
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/KeyServerStandInTest.cpp
    LIBS zavek_pgpiface ws2_32)
  target_compile_definitions(KeyServerStandInTest PRIVATE ZAVEK_PGPSDK_VARIANTS="${CMAKE_BINARY_DIR}/pgpsdk"
                             ZAVEK_KEY_FIXTURES="${CMAKE_BINARY_DIR}/keyfixtures" ZAVEK_PYTHON3="${ZAVEK_PYTHON3}"
                             ZAVEK_HKP_SERVER="${CMAKE_CURRENT_LIST_DIR}/hkp-server.py"
                             ZAVEK_HKP_FOLDER="${CMAKE_BINARY_DIR}/hkp-server")
  add_dependencies(KeyServerStandInTest pgpsdk_variant_g13 key_fixtures)
endif()

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

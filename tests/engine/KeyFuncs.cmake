# Key functions: the lists and text forms in both builds; readers, key store and queries under
# Wine against a fake SDK procedure table.
zavek_add_test(NAME KeyFuncsTypesTest NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/KeyFuncsTypesTest.cpp
  LIBS zavek_keytypes)
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME KeyFuncsTest
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/KeyFuncsTest.cpp
    LIBS zavek_keyfuncs)
endif()
# Against the stand-in SDK's key database, on key rings GnuPG makes at build time.
if(ZAVEK_WINDOWS)
  set(KEY_FIXTURES ${CMAKE_BINARY_DIR}/keyfixtures)
  add_custom_command(OUTPUT ${KEY_FIXTURES}/pubring.pkr ${KEY_FIXTURES}/secring.skr
                            ${KEY_FIXTURES}/pubring-nodave.pkr ${KEY_FIXTURES}/secring-nodave.skr
                            ${KEY_FIXTURES}/dave.asc
    COMMAND ${PROJECT_SOURCE_DIR}/tests/data/keys/make-keys.sh ${KEY_FIXTURES} > ${KEY_FIXTURES}.log 2>&1
    DEPENDS ${PROJECT_SOURCE_DIR}/tests/data/keys/make-keys.sh
    COMMENT "Making the key-function test keys with GnuPG")
  add_custom_target(key_fixtures ALL DEPENDS ${KEY_FIXTURES}/pubring.pkr)
  zavek_add_test(NAME KeyRingsStandInTest
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/KeyRingsStandInTest.cpp
    LIBS zavek_keyfuncs)
  target_compile_definitions(KeyRingsStandInTest PRIVATE ZAVEK_PGPSDK_VARIANTS="${CMAKE_BINARY_DIR}/pgpsdk"
                             ZAVEK_KEY_FIXTURES="${KEY_FIXTURES}")
  add_dependencies(KeyRingsStandInTest pgpsdk_variant_g13 key_fixtures)
endif()

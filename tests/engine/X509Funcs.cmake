# Certificates in the key database: the chain blob natively and under Wine; the operations under
# Wine against the in-memory SDK with certificates added.
zavek_add_test(NAME X509ChainTest NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/X509ChainTest.cpp
  LIBS zavek_x509chain)
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME X509FuncsTest
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/X509FuncsTest.cpp
    LIBS zavek_x509funcs)
endif()
# The stand-in SDK's chain check against certificates from tests/data/engine/x509chain/make-chain.py.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME X509ChainStandInTest
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/X509ChainStandInTest.cpp
    LIBS zavek_x509chain engine_sdk)
  target_compile_definitions(X509ChainStandInTest PRIVATE ZAVEK_PGPSDK_VARIANTS="${CMAKE_BINARY_DIR}/pgpsdk")
  add_dependencies(X509ChainStandInTest pgpsdk_variant_g13)
endif()
# Certificates in the key database end to end against the stand-in SDK.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME X509StandInTest
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/X509StandInTest.cpp
    LIBS zavek_x509funcs)
  target_compile_definitions(X509StandInTest PRIVATE ZAVEK_PGPSDK_VARIANTS="${CMAKE_BINARY_DIR}/pgpsdk"
                             ZAVEK_KEY_FIXTURES="${KEY_FIXTURES}")
  add_dependencies(X509StandInTest pgpsdk_variant_g13 key_fixtures)
endif()

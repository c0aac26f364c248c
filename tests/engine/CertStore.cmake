# The Windows certificate stores under Wine (data from tests/data/engine/certstore/make-certs.py).
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME CertStoreTest
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/CertStoreTest.cpp
    LIBS zavek_certstore crypt32)
  target_compile_definitions(CertStoreTest PRIVATE ZAVEK_PGPSDK_VARIANTS="${CMAKE_BINARY_DIR}/pgpsdk"
                             ZAVEK_KEY_FIXTURES="${CMAKE_BINARY_DIR}/keyfixtures")
  add_dependencies(CertStoreTest pgpsdk_variant_g13 key_fixtures)
endif()

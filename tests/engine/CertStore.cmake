# The Windows certificate stores under Wine (data from tests/data/engine/certstore/make-certs.py).
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME CertStoreTest
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/CertStoreTest.cpp
    LIBS zavek_certstore crypt32)
endif()

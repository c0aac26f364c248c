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

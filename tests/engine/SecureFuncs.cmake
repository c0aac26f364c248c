# Passphrase cache and wiping: the pattern fill in both builds, cache and wipe under Wine.
zavek_add_test(NAME SecureFuncsPatternTest NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SecureFuncsPatternTest.cpp
  LIBS zavek_secure)
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME SecureFuncsTest
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/SecureFuncsTest.cpp
    LIBS zavek_secure)
  zavek_add_test(NAME SecureFuncsWipeTest
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/SecureFuncsWipeTest.cpp
    LIBS zavek_secure)
endif()
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME SecureFuncsSdkTest
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/SecureFuncsSdkTest.cpp
    LIBS zavek_secure)
  target_compile_definitions(SecureFuncsSdkTest PRIVATE ZAVEK_PGPSDK_VARIANTS="${CMAKE_BINARY_DIR}/pgpsdk")
  add_dependencies(SecureFuncsSdkTest pgpsdk_variant_g13)
endif()

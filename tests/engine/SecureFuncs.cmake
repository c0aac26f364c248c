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

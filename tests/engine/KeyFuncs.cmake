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

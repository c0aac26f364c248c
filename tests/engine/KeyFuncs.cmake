# Key functions: the lists and text forms in both builds; readers, key store and queries under
# Wine against a fake SDK procedure table.
zavek_add_test(NAME KeyFuncsTypesTest NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/KeyFuncsTypesTest.cpp
  LIBS zavek_keytypes)

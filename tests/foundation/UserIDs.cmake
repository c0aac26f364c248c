zavek_add_test(NAME UserIDsTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/UserIDsTest.cpp LIBS UserIDs NATIVE)
zavek_add_fuzzer(NAME UserIDsFuzz SOURCE ${CMAKE_CURRENT_LIST_DIR}/UserIDsFuzz.cpp LIBS UserIDs
  CORPUS ${PROJECT_SOURCE_DIR}/tests/data/foundation/UserIDsCorpus)

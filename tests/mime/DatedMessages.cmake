# Dated message export: natively with sanitizers and under Wine.
zavek_add_test(NAME DatedMessagesTest NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/DatedMessagesTest.cpp
  LIBS DatedMessages)
zavek_add_fuzzer(NAME DatedMessagesFuzz SOURCE ${CMAKE_CURRENT_LIST_DIR}/DatedMessagesFuzz.cpp
  LIBS DatedMessages CORPUS ${PROJECT_SOURCE_DIR}/tests/data/mime/corpus-dated)

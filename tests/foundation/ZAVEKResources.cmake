zavek_add_test(NAME ZAVEKResourcesParserTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/ZAVEKResourcesParserTest.cpp
  LIBS ZAVEKResourcesParser NATIVE)
zavek_add_fuzzer(NAME ZAVEKResourcesParserFuzz SOURCE ${CMAKE_CURRENT_LIST_DIR}/ZAVEKResourcesParserFuzz.cpp
  LIBS ZAVEKResourcesParser CORPUS ${PROJECT_SOURCE_DIR}/tests/data/foundation/LanguageTextCorpus)
zavek_add_test(NAME LanguageFilesTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/LanguageFilesTest.cpp
  LIBS ZAVEKResourcesParser NATIVE)
zavek_add_test(NAME ZAVEKResourcesTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/ZAVEKResourcesTest.cpp
  LIBS ZAVEKResources NATIVE)

# Tests of the part texts and files (portable, so also in the sanitizer build).
zavek_add_test(NAME PartTextsTest NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PartTextsTest.cpp ${PROJECT_SOURCE_DIR}/tests/support/FreedTextWatch.cpp
  LIBS PartTexts)
zavek_add_fuzzer(NAME PartTextsFuzz SOURCE ${CMAKE_CURRENT_LIST_DIR}/PartTextsFuzz.cpp
  LIBS PartTexts CORPUS ${PROJECT_SOURCE_DIR}/tests/data/mime/corpus-parttexts)
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME PartTextsWinTest
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/PartTextsWinTest.cpp
    LIBS PartTexts)
endif()

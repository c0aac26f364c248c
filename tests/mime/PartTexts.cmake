# Tests of the part texts and files (portable, so also in the sanitizer build).
zavek_add_test(NAME PartTextsTest NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PartTextsTest.cpp
  LIBS PartTexts)

# Dated string lists: natively with sanitizers and under Wine.
zavek_add_test(NAME dated_strings_test NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/DatedStringsTest.cpp
  LIBS DatedStrings)

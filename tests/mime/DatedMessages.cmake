# Dated message export: natively with sanitizers and under Wine.
zavek_add_test(NAME DatedMessagesTest NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/DatedMessagesTest.cpp
  LIBS DatedMessages)

# Tests of the recipient key list and the message recipients (both builds), and the replay of
# the list-file fuzzer's saved inputs.
zavek_add_test(NAME plugin_AutoList NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/AutoListHandlerTest.cpp ${CMAKE_CURRENT_LIST_DIR}/RecipientsDataTest.cpp
  LIBS ZAVEKAutoList)
zavek_add_fuzzer(NAME AutoListFuzz SOURCE ${CMAKE_CURRENT_LIST_DIR}/AutoListFuzz.cpp LIBS ZAVEKAutoList
  CORPUS ${PROJECT_SOURCE_DIR}/tests/data/autolist/corpus)

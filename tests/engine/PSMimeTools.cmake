# Mail-body builders, in both builds.
zavek_add_test(NAME PSMimeToolsTest NATIVE SOURCES ${CMAKE_CURRENT_LIST_DIR}/PSMimeToolsTest.cpp LIBS zavek_psmime)
zavek_add_test(NAME PSMimeSplitTest NATIVE SOURCES ${CMAKE_CURRENT_LIST_DIR}/PSMimeSplitTest.cpp LIBS zavek_psmime)
zavek_add_fuzzer(NAME PSMimeSplitFuzz SOURCE ${CMAKE_CURRENT_LIST_DIR}/PSMimeSplitFuzz.cpp LIBS zavek_psmime
  CORPUS ${PROJECT_SOURCE_DIR}/tests/data/encoder/split-corpus)

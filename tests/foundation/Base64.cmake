# Base64 tests (both builds) and the decoder's fuzz target with its saved inputs.
zavek_add_test(NAME Base64_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/Base64Test.cpp LIBS Base64 Isaac NATIVE)
zavek_add_fuzzer(NAME Base64_fuzz SOURCE ${CMAKE_CURRENT_LIST_DIR}/Base64Fuzz.cpp LIBS Base64
                 CORPUS ${PROJECT_SOURCE_DIR}/tests/data/foundation/base64_corpus)

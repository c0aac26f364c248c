# Tests of the part-tree model and the mimetree tool.
zavek_add_test(NAME MimeMsgTreeTest NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MimeMsgTreeTest.cpp ${PROJECT_SOURCE_DIR}/tests/support/FreedTextWatch.cpp
  LIBS MimeMsgTree PartTexts)
if(TARGET MailUtilsFuzzing)
  add_library(MimeMsgTreeFuzzing STATIC ${PROJECT_SOURCE_DIR}/mime/MimeMsgTree.cpp)
  target_compile_options(MimeMsgTreeFuzzing PRIVATE -fsanitize=fuzzer-no-link)
  target_link_libraries(MimeMsgTreeFuzzing PUBLIC MailUtilsFuzzing)
  set(mimetree_fuzz_lib MimeMsgTreeFuzzing)
else()
  set(mimetree_fuzz_lib MimeMsgTree)
endif()
zavek_add_fuzzer(NAME MimeTreeFuzz SOURCE ${CMAKE_CURRENT_LIST_DIR}/MimeTreeFuzz.cpp
  LIBS ${mimetree_fuzz_lib} CORPUS ${PROJECT_SOURCE_DIR}/tests/data/mime/corpus-tree)
zavek_add_test(NAME MimeTreeEditTest NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MimeTreeEditTest.cpp
  LIBS MimeTreeEdit)
if(NOT ZAVEK_WINDOWS)
  zavek_add_test(NAME PythonCorpusTest NATIVE
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/PythonCorpusTest.cpp
    LIBS MimeMsgTree)
  # The tool itself is compared with Python's email package.
  add_dependencies(PythonCorpusTest mimetree)
  target_compile_definitions(PythonCorpusTest PRIVATE ZAVEK_MIMETREE="$<TARGET_FILE:mimetree>")
  # Starts Python once per corpus message: about 20 s alone, several times that beside a full build.
  set_tests_properties(PythonCorpusTest PROPERTIES TIMEOUT 300)
endif()

# Tests of the part-tree model and the mimetree tool (prints a message file's tree as JSON).
zavek_add_test(NAME MimeMsgTreeTest NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MimeMsgTreeTest.cpp
  LIBS MimeMsgTree)
add_executable(mimetree ${CMAKE_CURRENT_LIST_DIR}/mimetree.cpp)
target_include_directories(mimetree PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(mimetree PRIVATE MimeMsgTree)
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

# Tests of the part-tree model and the mimetree tool (prints a message file's tree as JSON).
zavek_add_test(NAME MimeMsgTreeTest NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MimeMsgTreeTest.cpp
  LIBS MimeMsgTree)
add_executable(mimetree ${CMAKE_CURRENT_LIST_DIR}/mimetree.cpp)
target_include_directories(mimetree PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(mimetree PRIVATE MimeMsgTree)

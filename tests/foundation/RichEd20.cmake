# Rich-text helpers: the portable halves natively (with a fuzz target for the picture scanner),
# the rich-edit converter, code pages, URLs, fonts and pictures under Wine.
zavek_add_test(NAME RichEd20Text_test LIBS RichEd20Text NATIVE SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/RichEd20TextTest.cpp ${CMAKE_CURRENT_LIST_DIR}/RichEd20PicturesTest.cpp)
zavek_add_fuzzer(NAME RichEd20Pictures_fuzz SOURCE ${CMAKE_CURRENT_LIST_DIR}/RichEd20PicturesFuzz.cpp
                 LIBS RichEd20Text CORPUS ${PROJECT_SOURCE_DIR}/tests/data/foundation/rtfpict_corpus)
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME RichEd20_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/RichEd20Test.cpp LIBS RichEd20)
endif()

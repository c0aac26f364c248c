# The charset unit: its codec in both builds with a fuzz target; the conversions under Wine
# without the iconv library and, in a second program, with the stand-in library loaded.
zavek_add_test(NAME UTF8Codec_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/UTF8CodecTest.cpp LIBS UTF8Codec Isaac NATIVE)
zavek_add_fuzzer(NAME UTF8_fuzz SOURCE ${CMAKE_CURRENT_LIST_DIR}/UTF8Fuzz.cpp LIBS UTF8Codec
                 CORPUS ${PROJECT_SOURCE_DIR}/tests/data/foundation/utf8_corpus)
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME UTF8_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/UTF8Test.cpp LIBS UTF8)
  zavek_add_test(NAME UTF8Iconv_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/UTF8IconvTest.cpp LIBS UTF8)
  add_dependencies(UTF8Iconv_test IConv)
endif()
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME UTF8IconvMinimal_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/UTF8IconvMinimalTest.cpp LIBS UTF8)
  add_dependencies(UTF8IconvMinimal_test IConvMinimal)
endif()

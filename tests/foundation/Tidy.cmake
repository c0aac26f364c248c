# HTML clean-up: the text half in both builds; under Wine the pass-through road and the real
# libtidy, copied beside the test program.
zavek_add_test(NAME TidyText_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/TidyTextTest.cpp LIBS TidyText NATIVE)
zavek_add_fuzzer(NAME TidyText_fuzz SOURCE ${CMAKE_CURRENT_LIST_DIR}/TidyTextFuzz.cpp LIBS TidyText
                 CORPUS ${PROJECT_SOURCE_DIR}/tests/data/foundation/tidytext_corpus)
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME Tidy_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/TidyTest.cpp LIBS Tidy)
  zavek_add_test(NAME TidyPreloaded_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/TidyPreloadedTest.cpp LIBS Tidy)
  if(EXISTS ${ZAVEK_LIBTIDY_DLL})
    foreach(test Tidy_test TidyPreloaded_test)
      add_custom_command(TARGET ${test} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E make_directory $<TARGET_FILE_DIR:${test}>/tidy
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ZAVEK_LIBTIDY_DLL} $<TARGET_FILE_DIR:${test}>/tidy/LibTidy.dll)
    endforeach()
  endif()
endif()

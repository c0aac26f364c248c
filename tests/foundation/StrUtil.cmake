# Tests of StrUtil/StrTools: the portable tables natively and under Wine, the system half under Wine.
zavek_add_test(NAME strutil_text_test NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/StrToolsSearchTest.cpp ${CMAKE_CURRENT_LIST_DIR}/StrUtilTextTest.cpp
  LIBS zavek_strutil)

if(ZAVEK_WINDOWS)
  zavek_add_test(NAME strutil_win_text_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/StrUtilWinTextTest.cpp
    LIBS zavek_strutil_win)
endif()

if(ZAVEK_WINDOWS)
  # A small library whose version resource, dialog templates and strings the system tests read.
  add_library(strutil_testres SHARED
    ${CMAKE_CURRENT_LIST_DIR}/StrUtilTestResources.cpp ${CMAKE_CURRENT_LIST_DIR}/StrUtilTestResources.rc)
  set_target_properties(strutil_testres PROPERTIES PREFIX "")
  zavek_add_test(NAME strutil_system_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/StrUtilSystemTest.cpp
    LIBS zavek_strutil_win)
  add_dependencies(strutil_system_test strutil_testres)
endif()

zavek_add_fuzzer(NAME strutil_fuzz SOURCE ${CMAKE_CURRENT_LIST_DIR}/StrUtilFuzz.cpp LIBS zavek_strutil
  CORPUS ${PROJECT_SOURCE_DIR}/tests/data/foundation/strutil_fuzz)

# Not a test: throughput of the search family against the C++ library (run by hand).
add_executable(strutil_search_bench ${CMAKE_CURRENT_LIST_DIR}/StrToolsSearchBench.cpp)
target_link_libraries(strutil_search_bench PRIVATE zavek_strutil)

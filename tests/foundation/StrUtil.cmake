# Tests of StrUtil/StrTools: the portable tables natively and under Wine, the system half under Wine.
zavek_add_test(NAME strutil_text_test NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/StrToolsSearchTest.cpp ${CMAKE_CURRENT_LIST_DIR}/StrUtilTextTest.cpp
  LIBS zavek_strutil)

if(ZAVEK_WINDOWS)
  zavek_add_test(NAME strutil_win_text_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/StrUtilWinTextTest.cpp
    LIBS zavek_strutil_win)
endif()

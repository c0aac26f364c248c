# Preferences files: reader and writer tests (both builds) and the parsers' fuzz target.
zavek_add_test(NAME PrefFuncsTest NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PrefFuncsTest.cpp
  LIBS zavek_prefs)
zavek_add_fuzzer(NAME PrefFuncsFuzz SOURCE ${CMAKE_CURRENT_LIST_DIR}/PrefFuncsFuzz.cpp
  LIBS zavek_prefs CORPUS ${PROJECT_SOURCE_DIR}/tests/data/prefs/fuzz)
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME PrefFuncsWinTest
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/PrefFuncsWinTest.cpp
    LIBS zavek_prefs)
endif()

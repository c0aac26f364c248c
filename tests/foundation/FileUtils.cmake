# FileUtils: the portable rules natively and under Wine; files, registry, shell and clipboard under Wine.
zavek_add_test(NAME file_utils_rules_test NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/FileUtilsRulesTest.cpp
  LIBS FileUtils)
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME file_utils_win_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/FileUtilsWinTest.cpp
    LIBS FileUtilsWin)
  zavek_add_test(NAME file_utils_menu_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/FileUtilsMenuTest.cpp
    LIBS FileUtilsWin)
  # Its menus and the folder browser need the foreground: nothing else may run beside it.
  set_tests_properties(file_utils_menu_test PROPERTIES RUN_SERIAL TRUE)
endif()

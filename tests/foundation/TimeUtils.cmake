# Time arithmetic tests (both builds) and the Windows current-zone half (Windows build).
zavek_add_test(NAME TimeUtils_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/TimeUtilsTest.cpp LIBS TimeUtils NATIVE)
zavek_add_test(NAME TimeUtilsWin_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/TimeUtilsWinTest.cpp LIBS TimeUtils)

zavek_add_test(NAME ZAVEKCommonTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/ZAVEKCommonTest.cpp LIBS ZAVEKCommon NATIVE)
zavek_add_test(NAME ZAVEKCommonSntpTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/ZAVEKCommonSntpTest.cpp
  LIBS ZAVEKCommon TimeUtils ws2_32)
zavek_add_test(NAME ZAVEKCommonWinTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/ZAVEKCommonWinTest.cpp
  LIBS ZAVEKCommon user32)
zavek_add_test(NAME ZAVEKCommonSystemTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/ZAVEKCommonSystemTest.cpp
  LIBS ZAVEKCommon ZAVEKResources zavek_strutil_win advapi32 user32)

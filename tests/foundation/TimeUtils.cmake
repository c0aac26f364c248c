# Time arithmetic tests (both builds) and the Windows current-zone half (Windows build).
zavek_add_test(NAME TimeUtils_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/TimeUtilsTest.cpp LIBS TimeUtils NATIVE)
zavek_add_test(NAME TimeUtilsWin_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/TimeUtilsWinTest.cpp LIBS TimeUtils)
if(ZAVEK_WINDOWS)
  # Zones with daylight saving in both hemispheres, so that the comparison with the system's own
  # conversion means something.
  set_tests_properties(TimeUtilsWin_test PROPERTIES ENVIRONMENT "TZ=Europe/Berlin")
  foreach(zone America/New_York Australia/Sydney)
    string(REGEX REPLACE ".*/" "" city ${zone})
    add_test(NAME TimeUtilsWin_test_${city} COMMAND TimeUtilsWin_test --gtest_brief=1)
    set_tests_properties(TimeUtilsWin_test_${city} PROPERTIES ENVIRONMENT "TZ=${zone}" TIMEOUT 300)
  endforeach()
endif()

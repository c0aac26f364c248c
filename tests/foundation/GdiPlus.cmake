# GDI+ images under Wine (the clipboard needs the test's X display).
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME GdiPlus_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/GdiPlusTest.cpp LIBS GdiPlus)
endif()

# The tab order after controls are deleted (Windows only).
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME tab_order_removal_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/TabOrderRemovalTest.cpp
    LIBS zavek_framework)
endif()

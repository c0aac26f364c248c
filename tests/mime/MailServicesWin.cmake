# The message model's Windows services under Wine: dates in the user's locale.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME MailServicesWinTest
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/MailServicesWinTest.cpp
    LIBS MailUtils)
endif()

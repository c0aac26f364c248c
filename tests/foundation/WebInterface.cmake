# The web download thread and the shared WinInet steps against a loopback HTTP server (Wine).
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME WebInterfaceTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/WebInterfaceTest.cpp
                 LIBS WebInterface ws2_32)
endif()

# The administrator program under Wine, with a stand-in helper program that records its command line.
if(ZAVEK_WINDOWS)
  add_executable(AdminHelperStub WIN32 ${CMAKE_CURRENT_LIST_DIR}/HelperStub.cpp)
  zavek_add_test(NAME admin_Program SOURCES ${CMAKE_CURRENT_LIST_DIR}/AdminProgramTest.cpp
                 LIBS zavek_helper_commands TIMEOUT 180)
  add_dependencies(admin_Program ZAVEKAdmin AdminHelperStub)
endif()

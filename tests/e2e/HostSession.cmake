# The end-to-end tests' runner of the stand-in mail client, with the staged tree and the test key
# rings it hands to sessions.
if(ZAVEK_WINDOWS)
  add_library(e2e_session STATIC ${CMAKE_CURRENT_LIST_DIR}/HostSession.cpp)
  target_include_directories(e2e_session PUBLIC ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(e2e_session PUBLIC GTest::gtest)
  target_compile_definitions(e2e_session PUBLIC ZAVEK_STAGE_DIR="${ZAVEK_STAGE_DIR}"
                             ZAVEK_KEY_FIXTURES="${CMAKE_BINARY_DIR}/keyfixtures")
  add_dependencies(e2e_session stage key_fixtures)
endif()

# Tests of the host's header lines and message-file tagging.
zavek_add_test(NAME MailHostTest NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MailHostTest.cpp
  LIBS MailHost)
zavek_add_test(NAME MailRebuildTest NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MailRebuildTest.cpp
  LIBS MailHost MimeMsgTree)
if(TARGET MailUtilsFuzzing)
  add_library(MailHostFuzzing STATIC ${PROJECT_SOURCE_DIR}/mime/MailHost.cpp ${PROJECT_SOURCE_DIR}/mime/MailHostRebuild.cpp
    ${PROJECT_SOURCE_DIR}/mime/FileInPlace.cpp)
  target_compile_options(MailHostFuzzing PRIVATE -fsanitize=fuzzer-no-link)
  target_link_libraries(MailHostFuzzing PUBLIC MailUtilsFuzzing)
  set(mailhost_fuzz_lib MailHostFuzzing)
else()
  set(mailhost_fuzz_lib MailHost)
endif()
zavek_add_fuzzer(NAME MailHostFuzz SOURCE ${CMAKE_CURRENT_LIST_DIR}/MailHostFuzz.cpp
  LIBS ${mailhost_fuzz_lib} CORPUS ${PROJECT_SOURCE_DIR}/tests/data/mime/corpus-host)

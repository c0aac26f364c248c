# Tests of the raw-message model: tables, real messages from tests/data/mime, fuzz replays.
zavek_add_test(NAME MailSectionsTest NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MailSectionsTest.cpp
  LIBS MailUtils)
zavek_add_test(NAME MailEncodingsTest NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MailEncodingsTest.cpp
  LIBS MailUtils)
if(TARGET MailUtilsFuzzing)
  set(mailutils_fuzz_lib MailUtilsFuzzing)
else()
  set(mailutils_fuzz_lib MailUtils)
endif()
zavek_add_fuzzer(NAME MailSectionsFuzz SOURCE ${CMAKE_CURRENT_LIST_DIR}/MailSectionsFuzz.cpp
  LIBS ${mailutils_fuzz_lib} CORPUS ${PROJECT_SOURCE_DIR}/tests/data/mime/corpus-sections)
zavek_add_fuzzer(NAME MailDecodersFuzz SOURCE ${CMAKE_CURRENT_LIST_DIR}/MailDecodersFuzz.cpp
  LIBS ${mailutils_fuzz_lib} CORPUS ${PROJECT_SOURCE_DIR}/tests/data/mime/corpus-decoders)
zavek_add_test(NAME MailPeerTest NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MailPeerTest.cpp
  LIBS MailUtils)
# Benchmark program, run by hand (not part of the test run).
add_executable(MailSectionsBench ${CMAKE_CURRENT_LIST_DIR}/MailSectionsBench.cpp)
target_link_libraries(MailSectionsBench PRIVATE MailUtils)

# Tests of the host's header lines and message-file tagging.
zavek_add_test(NAME MailHostTest NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MailHostTest.cpp
  LIBS MailHost)
zavek_add_test(NAME MailRebuildTest NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MailRebuildTest.cpp
  LIBS MailHost MimeMsgTree)

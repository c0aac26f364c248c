# MailHost: the host's header lines and message-file tagging (portable: both builds).
add_library(MailHost STATIC ${CMAKE_CURRENT_LIST_DIR}/MailHost.cpp ${CMAKE_CURRENT_LIST_DIR}/MailHostRebuild.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileInPlace.cpp)
target_link_libraries(MailHost PUBLIC MailUtils)

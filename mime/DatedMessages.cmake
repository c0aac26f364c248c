# Dated message export: a mail folder as dated items and back as a mailbox (portable: both builds).
add_library(DatedMessages STATIC ${CMAKE_CURRENT_LIST_DIR}/DatedMessages.cpp)
target_link_libraries(DatedMessages PUBLIC MimeMsgTree PartTexts DatedStrings)

# MimeMsgTree: the part tree as a portable model (both builds); the tree-view adapter is the UI's.
# Its view texts are rendered by PartTexts, which defines them.
add_library(MimeMsgTree STATIC ${CMAKE_CURRENT_LIST_DIR}/MimeMsgTree.cpp)
target_link_libraries(MimeMsgTree PUBLIC MailUtils)
add_library(MimeTreeEdit STATIC ${CMAKE_CURRENT_LIST_DIR}/MimeTreeEdit.cpp)
target_link_libraries(MimeTreeEdit PUBLIC MimeMsgTree MailHost)

# The encrypt road of the plug-in library: the output-file pass-through, the message-file commit
# and the road itself with its mail-client and dialog adapters.
if(ZAVEK_WINDOWS)
  target_sources(ZAVEKPluginCore PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/MessageFileIO.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ConvertFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EncryptRoad.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EncryptRoadRecipients.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EncryptRoadHost.cpp)
  target_link_libraries(ZAVEKPluginCore PUBLIC MimeTreeEdit MailHost MimeMsgTree ZAVEKAutoListChooser PhaseTimes)
endif()

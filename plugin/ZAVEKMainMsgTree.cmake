# The main object's message-tree command over the message-tree dialog (Windows only).
if(ZAVEK_WINDOWS)
  target_sources(ZAVEKPluginCore PRIVATE ${CMAKE_CURRENT_LIST_DIR}/MainClassMsgTree.cpp)
  target_link_libraries(ZAVEKPluginCore PUBLIC zavek_msgtreedialog)
endif()

# The decrypt road: the decode context fed by the mail client's commands (portable, both builds)
# and the road over the PGP interface (Windows), linked into the plug-in core.
add_library(ZAVEKDecodeContext STATIC ${CMAKE_CURRENT_LIST_DIR}/DecodeContext.cpp)
if(ZAVEK_WINDOWS)
  add_library(ZAVEKDecryptRoad STATIC ${CMAKE_CURRENT_LIST_DIR}/DecryptRoad.cpp ${CMAKE_CURRENT_LIST_DIR}/DecryptRoadParts.cpp
                               ${CMAKE_CURRENT_LIST_DIR}/DecryptPassphrase.cpp
                               ${CMAKE_CURRENT_LIST_DIR}/DecodeCommands.cpp)
  target_link_libraries(ZAVEKDecryptRoad PUBLIC ZAVEKDecodeContext PhaseTimes zavek_pgpiface zavek_psmime MailHost MimeMsgTree PartTexts MailUtils
                        TERInterfaceText
                        ZAVEKResources zavek_strutil zavek_framework user32)
  # The road's mail-client side lives in the plug-in core, over its mail-client interface.
  target_sources(ZAVEKPluginCore PRIVATE ${CMAKE_CURRENT_LIST_DIR}/DecryptRoadHost.cpp)
  target_link_libraries(ZAVEKPluginCore PUBLIC ZAVEKDecryptRoad)
endif()

# The editor interface: its window-free text rules in both builds, the interface over the editor
# library on Windows, handed to the plug-in core.
add_library(TERInterfaceText STATIC ${CMAKE_CURRENT_LIST_DIR}/TERInterfaceText.cpp)
if(ZAVEK_WINDOWS)
  add_library(TERInterface STATIC ${CMAKE_CURRENT_LIST_DIR}/TERInterface.cpp ${CMAKE_CURRENT_LIST_DIR}/TERInterfacePutBack.cpp
                           ${CMAKE_CURRENT_LIST_DIR}/TERInterfaceProtected.cpp)
  target_link_libraries(TERInterface PUBLIC TERInterfaceText TerApi HtsTerConverter RichEd20 WindowUtils MimeMsgTree MailUtils
                        ZAVEKCommon user32 gdi32)
  cmake_language(DEFER CALL target_link_libraries ZAVEKPluginCore PUBLIC TERInterface)
  # The mail-client interface's editor work rides on the editor interface.
  cmake_language(DEFER CALL target_sources ZAVEKPluginCore PRIVATE ${CMAKE_CURRENT_LIST_DIR}/PMInterfaceEditors.cpp)
endif()

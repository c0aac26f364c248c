# The plug-in's parts of the mail client's windows: menus, toolbar buttons, the status-bar clock and
# the editor control's links. The rules without windows build in both builds.
add_library(ZAVEKHostWindowRules STATIC ${CMAKE_CURRENT_LIST_DIR}/HostWindowRules.cpp)
target_link_libraries(ZAVEKHostWindowRules PUBLIC ZAVEKPluginPortable ZAVEKResources)
if(ZAVEK_WINDOWS)
  target_sources(ZAVEKPluginCore PRIVATE ${CMAKE_CURRENT_LIST_DIR}/PluginMenus.cpp
                                         ${CMAKE_CURRENT_LIST_DIR}/StatusClock.cpp
                                         ${CMAKE_CURRENT_LIST_DIR}/SignatureNote.cpp
                                         ${CMAKE_CURRENT_LIST_DIR}/MainClassHostWindows.cpp
                                         ${CMAKE_CURRENT_LIST_DIR}/MainClassReaders.cpp
                                         ${CMAKE_CURRENT_LIST_DIR}/ViewerMain.cpp)
  target_link_libraries(ZAVEKPluginCore PUBLIC ZAVEKHostWindowRules ZAVEKAddressBooks WinInetApi zavek_msgtreedialog
                        zavek_textviewer)
endif()

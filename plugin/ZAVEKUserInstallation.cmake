# Per-user installation and removal (after ZAVEKMain.cmake, whose core library links it): the
# portable line rules (native too) and the Windows unit.
add_library(ZAVEKUserInstallationRules STATIC ${CMAKE_CURRENT_LIST_DIR}/UserInstallationRules.cpp)
if(ZAVEK_WINDOWS)
  add_library(ZAVEKUserInstallation STATIC ${CMAKE_CURRENT_LIST_DIR}/UserInstallation.cpp
                                          ${CMAKE_CURRENT_LIST_DIR}/SessionUser.cpp)
  target_link_libraries(ZAVEKUserInstallation PUBLIC ZAVEKUserInstallationRules ZAVEKResources FileUtilsWin Processes)
  target_link_libraries(ZAVEKPluginCore PUBLIC ZAVEKUserInstallation)
  # The configuration's command bodies reach the installation through these.
  target_sources(ZAVEKPluginCore PRIVATE ${CMAKE_CURRENT_LIST_DIR}/InstallCommands.cpp)
endif()

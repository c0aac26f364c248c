# The plug-in's menu commands: the command table and its texts build in both builds, the actions
# only in the cross build.
add_library(ZAVEKPluginCommandRules STATIC ${CMAKE_CURRENT_LIST_DIR}/PluginCommandRules.cpp)
target_link_libraries(ZAVEKPluginCommandRules PUBLIC ZAVEKPluginPortable FileUtils)
if(ZAVEK_WINDOWS)
  target_sources(ZAVEKPluginCore PRIVATE ${CMAKE_CURRENT_LIST_DIR}/PluginCommandsRun.cpp
                                         ${CMAKE_CURRENT_LIST_DIR}/CommandDialogsUi.cpp
                                         ${CMAKE_CURRENT_LIST_DIR}/AutoListDialogKeys.cpp)
  target_link_libraries(ZAVEKPluginCore PUBLIC ZAVEKPluginCommandRules KeyFileDialogs zavek_aboutdialog zavek_autolistdialog)
endif()

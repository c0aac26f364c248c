# The plug-in library that the mail client loads, and its portable parts (built in both builds).
add_library(ZAVEKPluginPortable STATIC ${CMAKE_CURRENT_LIST_DIR}/BusyState.cpp
                                       ${CMAKE_CURRENT_LIST_DIR}/PluginCommands.cpp
                                       ${CMAKE_CURRENT_LIST_DIR}/PMInterfaceRules.cpp)
if(ZAVEK_WINDOWS)
  add_library(ZAVEKPluginCore STATIC
    ${CMAKE_CURRENT_LIST_DIR}/Guard.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Watchdog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PMInterface.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ButtonList.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Configuration.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainClass.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainClassDecode.cpp)
  target_link_libraries(ZAVEKPluginCore PUBLIC ZAVEKPluginPortable zavek_framework comctl32 user32)
  target_link_libraries(ZAVEKPluginCore PUBLIC ZAVEKCommon ZAVEKResources zavek_strutil_win) # the mail-client interface
  add_library(ZAVEKMain SHARED ${CMAKE_CURRENT_LIST_DIR}/Exports.cpp ${CMAKE_CURRENT_LIST_DIR}/ZAVEKMain.def)
  target_link_libraries(ZAVEKMain PRIVATE ZAVEKPluginCore)
  set_target_properties(ZAVEKMain PROPERTIES PREFIX "" OUTPUT_NAME ZAVEKMain)
  zavek_stage(ZAVEKMain Plugin)
  # The options file, the start-up's language texts, charset library and auto-list, the version block.
  target_sources(ZAVEKPluginCore PRIVATE ${CMAKE_CURRENT_LIST_DIR}/Options.cpp)
  target_link_libraries(ZAVEKPluginCore PUBLIC ZAVEKResources ZAVEKCommon UTF8 ZAVEKAutoList WindowUtils)
  target_sources(ZAVEKMain PRIVATE ${CMAKE_CURRENT_LIST_DIR}/Configuration.rc
    ${PROJECT_SOURCE_DIR}/resources/bitmaps/Pictures.rc)
  # The PGP interface and the units the library initialises in order (SDK, processes, window
  # utilities and themes, UTF-8, PGP preferences).
  target_link_libraries(ZAVEKPluginCore PUBLIC zavek_pgpiface engine_sdk zavek_prefs Processes WindowUtils UTF8)
  # The key dialog's details tooltip, which the PGP interface is given.
  target_link_libraries(ZAVEKPluginCore PUBLIC zavek_keydialog_assist)
  # The plug-in's own message dialog for what the start-up and the PGP interface report.
  target_link_libraries(ZAVEKPluginCore PUBLIC zavek_ui_dialogs)
  # Temporary names, the MIME-type list, opening files with their programs.
  target_link_libraries(ZAVEKPluginCore PUBLIC FileUtilsWin)
  # HTML clean-up through libtidy from the mail client's folder, and the rich-text helpers.
  target_link_libraries(ZAVEKPluginCore PUBLIC Tidy RichEd20)
  # The message model's services over them and the editor library; the Windows certificate stores.
  target_sources(ZAVEKPluginCore PRIVATE ${CMAKE_CURRENT_LIST_DIR}/MailServicesHost.cpp)
  target_link_libraries(ZAVEKPluginCore PUBLIC HtsTerConverter zavek_certstore)
  # The SDK loader looks beside the plug-in library first: the stage puts the stand-in SDK there.
  add_custom_target(stage_PluginPGPsdk
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ZAVEK_STAGE_DIR}/Plugin
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:PGPSDK_g13> $<TARGET_FILE:PGPsdkNL>
            $<TARGET_FILE:PGPsdkUI> $<TARGET_FILE:PGPcl> $<TARGET_FILE:PGPsc> ${ZAVEK_STAGE_DIR}/Plugin/
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:PGPcl> ${ZAVEK_STAGE_DIR}/Plugin/PGPclientLib.dll
    DEPENDS PGPSDK_g13 PGPsdkNL PGPsdkUI PGPcl PGPsc)
  add_dependencies(stage stage_PluginPGPsdk)
endif()

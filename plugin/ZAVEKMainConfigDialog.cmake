# The main object's configuration command over the configuration dialog (Windows only).
if(ZAVEK_WINDOWS)
  target_sources(ZAVEKPluginCore PRIVATE ${CMAKE_CURRENT_LIST_DIR}/MainClassConfig.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ConfigSettings.cpp)
  target_link_libraries(ZAVEKPluginCore PUBLIC zavek_configdialog KeyFileDialogs)
endif()

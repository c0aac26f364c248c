# The message-file commit under kills and failed renames (Windows only).
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME plugin_MessageFileIO SOURCES ${CMAKE_CURRENT_LIST_DIR}/MessageFileIOTest.cpp
                 LIBS ZAVEKPluginCore TIMEOUT 120)
endif()

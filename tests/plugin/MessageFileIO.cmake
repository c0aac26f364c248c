# The message-file commit under kills and failed renames (Windows only). The kill test starts two
# dozen programs that each write tens of megabytes: on a loaded machine that alone takes minutes.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME plugin_MessageFileIO SOURCES ${CMAKE_CURRENT_LIST_DIR}/MessageFileIOTest.cpp
                 LIBS ZAVEKPluginCore TIMEOUT 360)
endif()

# Tests of the options file and the configuration's own pieces (Windows: profile functions).
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME plugin_Options
                 SOURCES ${CMAKE_CURRENT_LIST_DIR}/OptionsTest.cpp ${CMAKE_CURRENT_LIST_DIR}/ConfigurationTest.cpp
                 LIBS ZAVEKPluginCore)
endif()
if(ZAVEK_WINDOWS)
  add_dependencies(plugin_Options ZAVEKCryptor)
endif()

# The encrypt road against the stand-in SDK on the GnuPG-made key rings (Windows only).
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME plugin_EncryptRoad SOURCES ${CMAKE_CURRENT_LIST_DIR}/EncryptRoadTest.cpp
                 LIBS ZAVEKPluginCore)
  target_compile_definitions(plugin_EncryptRoad PRIVATE ZAVEK_PGPSDK_VARIANTS="${CMAKE_BINARY_DIR}/pgpsdk"
                             ZAVEK_KEY_FIXTURES="${CMAKE_BINARY_DIR}/keyfixtures")
  add_dependencies(plugin_EncryptRoad pgpsdk_variant_g13 key_fixtures)
endif()

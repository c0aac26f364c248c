# The decrypt road: the decode context in both builds; the road under Wine against the stand-in SDK
# on the decoder's key rings and messages that GnuPG makes at build time.
zavek_add_test(NAME plugin_DecodeContext SOURCES ${CMAKE_CURRENT_LIST_DIR}/DecodeContextTest.cpp
               LIBS ZAVEKDecodeContext NATIVE)
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME plugin_DecryptRoad SOURCES ${CMAKE_CURRENT_LIST_DIR}/DecryptRoadTest.cpp
                 ${CMAKE_CURRENT_LIST_DIR}/DecodeCommandsTest.cpp LIBS ZAVEKDecryptRoad)
  target_compile_definitions(plugin_DecryptRoad PRIVATE ZAVEK_PGPSDK_VARIANTS="${CMAKE_BINARY_DIR}/pgpsdk"
                             ZAVEK_DECODER_FIXTURES="${CMAKE_BINARY_DIR}/decoderfixtures")
  add_dependencies(plugin_DecryptRoad pgpsdk_variant_g13 decoder_fixtures)
  # The stand-in SDK's passphrase dialog it answers takes the foreground.
  set_tests_properties(plugin_DecryptRoad PROPERTIES RUN_SERIAL TRUE)
endif()

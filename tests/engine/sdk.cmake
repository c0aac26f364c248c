# Tests of the engine's SDK binding: portable parts natively and under Wine, the loader under Wine.
zavek_add_test(NAME SdkAdaptersTest NATIVE SOURCES ${CMAKE_CURRENT_LIST_DIR}/SdkAdaptersTest.cpp LIBS engine_sdk)
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME SdkLoaderTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/SdkLoaderTest.cpp LIBS engine_sdk)
  target_compile_definitions(SdkLoaderTest PRIVATE ZAVEK_PGPSDK_VARIANTS="${CMAKE_BINARY_DIR}/pgpsdk")
  foreach(gen 13 11 8 5 4 2)
    add_dependencies(SdkLoaderTest pgpsdk_variant_g${gen})
  endforeach()
endif()

# Tests of the stand-in PGPsdk's runtime, natively (sanitizers) and under Wine.
zavek_add_test(NAME PGPsdkRuntimeTest NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PGPsdkRuntimeTest.cpp
          ${PROJECT_SOURCE_DIR}/standins/pgpsdk/NotYet.cpp $<TARGET_OBJECTS:pgpsdk_runtime>)

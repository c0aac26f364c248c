# Tests of the stand-in PGPsdk's runtime, natively (sanitizers) and under Wine.
zavek_add_test(NAME PGPsdkRuntimeTest NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PGPsdkRuntimeTest.cpp
          ${PROJECT_SOURCE_DIR}/standins/pgpsdk/NotYet.cpp ${PROJECT_SOURCE_DIR}/standins/pgpsdk/PassphraseCache.cpp
          $<TARGET_OBJECTS:pgpsdk_runtime> LIBS pgpsdk_openpgp)
zavek_add_test(NAME OpenPGPCodecTest NATIVE SOURCES ${CMAKE_CURRENT_LIST_DIR}/OpenPGPCodecTest.cpp LIBS pgpsdk_openpgp)
zavek_add_fuzzer(NAME OpenPGPFuzz SOURCE ${CMAKE_CURRENT_LIST_DIR}/OpenPGPFuzz.cpp LIBS pgpsdk_openpgp
                 CORPUS ${PROJECT_SOURCE_DIR}/tests/data/pgpsdk/fuzz)
zavek_add_test(NAME PGPsdkKeyDBTest NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PGPsdkKeyDBTest.cpp
          ${PROJECT_SOURCE_DIR}/standins/pgpsdk/NotYet.cpp ${PROJECT_SOURCE_DIR}/standins/pgpsdk/PassphraseCache.cpp
          $<TARGET_OBJECTS:pgpsdk_runtime> LIBS pgpsdk_openpgp)
if(ZAVEK_WINDOWS)
  add_test(NAME PGPcl_exports
           COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DDLL=$<TARGET_FILE:PGPcl>
                   -P ${CMAKE_CURRENT_LIST_DIR}/scripts/CheckClientExports.cmake)
endif()
if(NOT ZAVEK_WINDOWS)
  # The whole stand-in core as one library for the decoder's fuzz target.
  add_library(pgpsdk_core_for_fuzz STATIC $<TARGET_OBJECTS:pgpsdk_runtime>
              ${PROJECT_SOURCE_DIR}/standins/pgpsdk/NotYet.cpp ${PROJECT_SOURCE_DIR}/standins/pgpsdk/PassphraseCache.cpp)
  target_link_libraries(pgpsdk_core_for_fuzz PUBLIC pgpsdk_openpgp)
  zavek_add_fuzzer(NAME PGPDecodeFuzz SOURCE ${CMAKE_CURRENT_LIST_DIR}/PGPDecodeFuzz.cpp
                   LIBS pgpsdk_core_for_fuzz CORPUS ${PROJECT_SOURCE_DIR}/tests/data/pgpsdk/fuzz)
  foreach(target PGPDecodeFuzz PGPDecodeFuzz_replay)
    if(TARGET ${target})
      target_compile_definitions(${target} PRIVATE ZAVEK_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data")
    endif()
  endforeach()
endif()

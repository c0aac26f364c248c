# Benchmark driver of the stand-in SDK (not a test; run by bench/run): under Wine beside the
# generation-13 SDK whose core it links, and natively on the stand-in core's objects.
if(ZAVEK_WINDOWS)
  add_executable(SdkBench ${CMAKE_CURRENT_LIST_DIR}/bench/SdkBench.cpp)
  target_link_libraries(SdkBench PRIVATE PGPSDK_g13 psapi)
  set_target_properties(SdkBench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/pgpsdk/g13)
else()
  add_executable(SdkBench ${CMAKE_CURRENT_LIST_DIR}/bench/SdkBench.cpp
                 ${PROJECT_SOURCE_DIR}/standins/pgpsdk/NotYet.cpp ${PROJECT_SOURCE_DIR}/standins/pgpsdk/PassphraseCache.cpp
                 $<TARGET_OBJECTS:pgpsdk_runtime>)
  target_link_libraries(SdkBench PRIVATE pgpsdk_openpgp)
endif()
# The benchmark script once with a tiny size: proves it builds, runs and round-trips (no timing).
if(ZAVEK_WINDOWS)
  find_program(ZAVEK_GPG gpg)
  if(ZAVEK_GPG)
    add_test(NAME BenchScriptRuns COMMAND ${CMAKE_COMMAND} -E env BENCH_SIZES_MB=1 BENCH_ROAD_MB=1 BENCH_RUNS=1 BENCH_NO_BUILD=1
             ${PROJECT_SOURCE_DIR}/bench/run ${CMAKE_BINARY_DIR}/..)
    set_tests_properties(BenchScriptRuns PROPERTIES TIMEOUT 300)
  endif()
endif()
# The codecs' throughput and the part tree, natively.
if(NOT ZAVEK_WINDOWS)
  add_executable(CodecBench ${CMAKE_CURRENT_LIST_DIR}/bench/CodecBench.cpp)
  target_link_libraries(CodecBench PRIVATE MailUtils)
  add_executable(PartTreeBench ${CMAKE_CURRENT_LIST_DIR}/bench/PartTreeBench.cpp)
  target_link_libraries(PartTreeBench PRIVATE MimeMsgTree PartTexts)
endif()

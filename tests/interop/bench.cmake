# Benchmark driver of the stand-in SDK (not a test; run by bench/run-bench.sh), beside the
# generation-13 SDK whose core it links.
if(ZAVEK_WINDOWS)
  add_executable(SdkBench ${CMAKE_CURRENT_LIST_DIR}/bench/SdkBench.cpp)
  target_link_libraries(SdkBench PRIVATE PGPSDK_g13)
  set_target_properties(SdkBench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/pgpsdk/g13)
endif()

# Test helpers shared by every tests/ folder.
#
#   zavek_add_test(NAME n SOURCES a.cpp... [LIBS l...] [NATIVE] [WINDOWS_ONLY])
#     One GoogleTest program. In the Windows build it runs under Wine (the toolchain's emulator);
#     NATIVE also builds and runs it in the native (sanitizer) build. WINDOWS_ONLY is the default
#     for programs that are not NATIVE.
#   zavek_add_fuzzer(NAME n SOURCE f.cpp LIBS l... [CORPUS dir])
#     A libFuzzer target (native build with ZAVEK_FUZZ) and, in every native build, a test that
#     replays the saved inputs of CORPUS through the same entry point.

if(NOT TARGET GTest::gtest_main)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  if(NOT ZAVEK_WINDOWS)
    # The test framework itself is not under test: keep sanitizer noise out of it.
    foreach(t gtest gtest_main gmock gmock_main)
      target_compile_options(${t} PRIVATE -fno-sanitize=all)
    endforeach()
  endif()
endif()
# The programs' main (a library, so that a program with its own main keeps it).
if(NOT TARGET zavek_test_main)
  add_library(zavek_test_main STATIC ${PROJECT_SOURCE_DIR}/tests/support/TestMain.cpp)
  target_link_libraries(zavek_test_main PUBLIC GTest::gmock)
endif()

function(zavek_add_test)
  cmake_parse_arguments(T "NATIVE;WINDOWS_ONLY" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT ZAVEK_WINDOWS AND NOT T_NATIVE)
    return()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gmock zavek_test_main)
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${T_NAME} PRIVATE ZAVEK_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data")
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_brief=1)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 60)
  endif()
  # Under CPU emulation every program runs several times slower (scripts/test sets the factor).
  if(ZAVEK_TEST_TIME_SCALE GREATER 1)
    math(EXPR T_TIMEOUT "${T_TIMEOUT} * ${ZAVEK_TEST_TIME_SCALE}")
  endif()
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
endfunction()

function(zavek_add_fuzzer)
  cmake_parse_arguments(F "" "NAME;SOURCE;CORPUS" "LIBS" ${ARGN})
  if(ZAVEK_WINDOWS)
    return()
  endif()
  add_executable(${F_NAME}_replay ${F_SOURCE} ${PROJECT_SOURCE_DIR}/tests/support/FuzzReplayMain.cpp)
  target_link_libraries(${F_NAME}_replay PRIVATE ${F_LIBS})
  if(F_CORPUS)
    add_test(NAME ${F_NAME}_replay COMMAND ${F_NAME}_replay ${F_CORPUS})
  endif()
  if(ZAVEK_FUZZ)
    add_executable(${F_NAME} ${F_SOURCE})
    target_compile_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
    target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
  endif()
endfunction()

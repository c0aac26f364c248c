# The helper program's command-line rules (native too) and the program itself under Wine, against
# stand-in plug-in libraries.
zavek_add_test(NAME helper_Commands SOURCES ${CMAKE_CURRENT_LIST_DIR}/HelperCommandsTest.cpp
               LIBS zavek_helper_commands NATIVE)
if(ZAVEK_WINDOWS)
  add_library(HelperMainStub SHARED ${CMAKE_CURRENT_LIST_DIR}/MainLibraryStub.cpp ${CMAKE_CURRENT_LIST_DIR}/MainLibraryStub.def)
  set_target_properties(HelperMainStub PROPERTIES PREFIX "")
  add_library(HelperNoExportsStub SHARED ${CMAKE_CURRENT_LIST_DIR}/NoExportsStub.cpp)
  set_target_properties(HelperNoExportsStub PROPERTIES PREFIX "")
  zavek_add_test(NAME helper_Program SOURCES ${CMAKE_CURRENT_LIST_DIR}/HelperProgramTest.cpp
                 LIBS zavek_helper_commands TIMEOUT 180)
  add_dependencies(helper_Program ZAVEKHelper HelperMainStub HelperNoExportsStub)
  # The error-box test looks for a top-level window by caption.
  set_tests_properties(helper_Program PROPERTIES RESOURCE_LOCK display_focus)
endif()
zavek_add_fuzzer(NAME HelperCommandLineFuzz SOURCE ${CMAKE_CURRENT_LIST_DIR}/CommandLineFuzz.cpp
                 LIBS zavek_helper_commands CORPUS ${PROJECT_SOURCE_DIR}/tests/data/helper/commandline_corpus)

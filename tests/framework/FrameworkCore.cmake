# Tests of the class framework's core: portable ones also run natively under the sanitizers.
zavek_add_test(NAME framework_core_test NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/StringListTest.cpp ${CMAKE_CURRENT_LIST_DIR}/ListTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/StreamTest.cpp ${CMAKE_CURRENT_LIST_DIR}/UnitRegistryTest.cpp
  LIBS zavek_framework_core)

if(ZAVEK_WINDOWS)
  add_library(framework_binding_test_library SHARED
    ${CMAKE_CURRENT_LIST_DIR}/BindingTestLibrary.cpp ${CMAKE_CURRENT_LIST_DIR}/BindingTestLibrary.def)
  set_target_properties(framework_binding_test_library PROPERTIES PREFIX "")
  zavek_add_test(NAME framework_win_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/LibraryBindingTest.cpp ${CMAKE_CURRENT_LIST_DIR}/IniRegistryTest.cpp
    LIBS zavek_framework)
  add_dependencies(framework_win_test framework_binding_test_library)
endif()

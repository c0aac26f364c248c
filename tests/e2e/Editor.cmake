# End-to-end tests of the editor interface in the stand-in mail client (needs the staged tree):
# through the plug-in, and through a test plug-in that runs the put-back on the host's editors.
if(ZAVEK_WINDOWS)
  add_library(EditorProbe SHARED ${CMAKE_CURRENT_LIST_DIR}/EditorProbe.cpp ${CMAKE_CURRENT_LIST_DIR}/EditorProbe.def)
  target_link_libraries(EditorProbe PRIVATE ZAVEKPluginCore)
  set_target_properties(EditorProbe PROPERTIES PREFIX "" OUTPUT_NAME EditorProbe)
  zavek_stage(EditorProbe Probe)

  zavek_add_test(NAME e2e_Editor SOURCES ${CMAKE_CURRENT_LIST_DIR}/EditorTest.cpp LIBS e2e_session TIMEOUT 600)
  set_tests_properties(e2e_Editor PROPERTIES RUN_SERIAL TRUE)
endif()

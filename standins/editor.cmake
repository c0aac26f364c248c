# Stand-ins for the mail client's rich-text editor library TER32.DLL and its HTML add-on HTS32.DLL
# over the Windows rich-edit control, staged into the mail client's folder. Test variants (not
# staged): a copy named TER17.DLL, and a TER32.DLL without the two newest flag calls.
if(ZAVEK_WINDOWS)
  enable_language(RC)
  set(ter_sources ${CMAKE_CURRENT_LIST_DIR}/editor/Ter32.cpp ${CMAKE_CURRENT_LIST_DIR}/editor/Ter32.rc)
  add_library(StandInTer32 SHARED ${ter_sources} ${CMAKE_CURRENT_LIST_DIR}/editor/Ter32.def)
  set_target_properties(StandInTer32 PROPERTIES PREFIX "" OUTPUT_NAME TER32 SUFFIX .DLL)
  target_link_libraries(StandInTer32 PRIVATE user32 gdi32)
  zavek_stage(StandInTer32 Host)

  add_library(StandInHts32 SHARED ${CMAKE_CURRENT_LIST_DIR}/editor/Hts32.cpp ${CMAKE_CURRENT_LIST_DIR}/editor/Hts32.def)
  set_target_properties(StandInHts32 PROPERTIES PREFIX "" OUTPUT_NAME HTS32 SUFFIX .DLL)
  target_link_libraries(StandInHts32 PRIVATE user32)
  zavek_stage(StandInHts32 Host)

  add_library(StandInTer17 SHARED ${ter_sources} ${CMAKE_CURRENT_LIST_DIR}/editor/Ter32.def)
  set_target_properties(StandInTer17 PROPERTIES PREFIX "" OUTPUT_NAME TER17 SUFFIX .DLL
                        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/editor-variants/ter17
                        ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/standins/editor-ter17)
  target_link_libraries(StandInTer17 PRIVATE user32 gdi32)

  add_library(StandInTer32Minimal SHARED ${ter_sources} ${CMAKE_CURRENT_LIST_DIR}/editor/Ter32Minimal.def)
  set_target_properties(StandInTer32Minimal PROPERTIES PREFIX "" OUTPUT_NAME TER32 SUFFIX .DLL
                        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/editor-variants/minimal
                        ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/standins/editor-minimal)
  target_link_libraries(StandInTer32Minimal PRIVATE user32 gdi32)

  # The stand-in mail client's editor windows hold a control of this library.
  cmake_language(DEFER CALL target_sources StandInHost PRIVATE ${CMAKE_CURRENT_LIST_DIR}/host/HostEditorControl.cpp)
  cmake_language(DEFER CALL add_dependencies StandInHost StandInTer32 StandInHts32)
endif()

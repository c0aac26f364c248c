# The language text files go into the plug-in's Resources folder of the stage.
set(ZAVEK_LANGUAGE_FILES
  ${CMAKE_CURRENT_LIST_DIR}/ZAVEKStringsEn.txt
  ${CMAKE_CURRENT_LIST_DIR}/PGPErrorStringsEn.txt)
add_custom_target(stage_language_texts
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ZAVEK_STAGE_DIR}/Plugin/Resources
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ZAVEK_LANGUAGE_FILES} ${ZAVEK_STAGE_DIR}/Plugin/Resources/
  SOURCES ${ZAVEK_LANGUAGE_FILES})
add_dependencies(stage stage_language_texts)

# The compiled help file that the dialogs' Help buttons and F1 open, and the start menu's Manual link
# points to: made from the pages of help/ by Free Pascal's CHM compiler and put into the plug-in's
# Resources folder of the stage.
find_program(ZAVEK_CHMCMD chmcmd REQUIRED)
file(GLOB ZAVEK_HELP_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/help/*)
set(ZAVEK_HELP_FILE ${CMAKE_BINARY_DIR}/help/ZAVEKEn.chm)
# The compiler writes next to its project file: it works on a copy in the build tree.
add_custom_command(OUTPUT ${ZAVEK_HELP_FILE}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_CURRENT_LIST_DIR}/help ${CMAKE_BINARY_DIR}/help
  COMMAND ${ZAVEK_CHMCMD} --verbosity 1 ZAVEK.hhp
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/help
  DEPENDS ${ZAVEK_HELP_SOURCES}
  COMMENT "Compiling the help file")
add_custom_target(help_file DEPENDS ${ZAVEK_HELP_FILE})
add_custom_target(stage_help_file
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ZAVEK_STAGE_DIR}/Plugin/Resources
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ZAVEK_HELP_FILE} ${ZAVEK_STAGE_DIR}/Plugin/Resources/
  DEPENDS help_file)
add_dependencies(stage stage_help_file)

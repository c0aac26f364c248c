# The form files that set-up copies into each mail folder and the help and manual pages go into the
# plug-in's Resources folder of the stage.
set(ZAVEK_INSTALL_FILES
  ${CMAKE_CURRENT_LIST_DIR}/ZAVEKMain.fff
  ${CMAKE_CURRENT_LIST_DIR}/ZAVEKCryptor.fff
  ${CMAKE_CURRENT_LIST_DIR}/ZAVEKHelpEn.htm
  ${CMAKE_CURRENT_LIST_DIR}/ZAVEKManualEn.htm
  ${CMAKE_CURRENT_LIST_DIR}/POPUPSEn.htm)
# The toolbar buttons' bitmaps, which the mail client loads by file name.
foreach(button EditAutoList WipePassphrase EncryptOnly SignOnly EncryptSign DecryptMessage VerifySignature
        ManageKeys LaunchPGP)
  list(APPEND ZAVEK_INSTALL_FILES ${CMAKE_CURRENT_LIST_DIR}/bitmaps/${button}.bmp)
endforeach()
add_custom_target(stage_install_files
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ZAVEK_STAGE_DIR}/Plugin/Resources
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ZAVEK_INSTALL_FILES} ${ZAVEK_STAGE_DIR}/Plugin/Resources/
  SOURCES ${ZAVEK_INSTALL_FILES})
add_dependencies(stage stage_install_files)

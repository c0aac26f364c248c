# What the editor's encryption dialog shows and keeps (Windows only: the editor record is a window's).
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME plugin_EncryptionDialogRules SOURCES ${CMAKE_CURRENT_LIST_DIR}/EncryptionDialogRulesTest.cpp
                 LIBS ZAVEKEncryptionDialogRules)
endif()

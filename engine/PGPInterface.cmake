# The PGP interface: its records and texts are portable (both builds); the interface object over
# the key store, the preferences, the passphrase cache and the PGP dialogs is Windows code.
add_library(zavek_pgpiface_texts STATIC ${CMAKE_CURRENT_LIST_DIR}/PGPInterfaceTexts.cpp)
target_link_libraries(zavek_pgpiface_texts PUBLIC zavek_keytypes ZAVEKResources ZAVEKCommon UserIDs)
if(ZAVEK_WINDOWS)
  add_library(zavek_pgpiface STATIC
    ${CMAKE_CURRENT_LIST_DIR}/PGPInterface.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PGPInterfaceKeys.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PGPInterfaceMessage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PGPInterfaceMessages.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PGPInterfacePrefs.cpp)
  target_link_libraries(zavek_pgpiface PUBLIC zavek_pgpiface_texts zavek_keyfuncs zavek_secure zavek_prefs
                        zavek_encode zavek_decode MailUtils zavek_certstore zavek_pgpdialogs zavek_x509funcs shell32
                        user32)
endif()

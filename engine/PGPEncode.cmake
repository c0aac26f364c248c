# The encoder: its SDK-free rules in both builds, the encoder over the bound SDK on Windows, and
# the mail-body builders it wraps its output with.
add_library(zavek_encode_rules STATIC ${CMAKE_CURRENT_LIST_DIR}/PGPEncodeRules.cpp)
target_link_libraries(zavek_encode_rules PUBLIC zavek_keytypes)
if(ZAVEK_WINDOWS)
  add_library(zavek_encode STATIC ${CMAKE_CURRENT_LIST_DIR}/PGPEncode.cpp)
  target_link_libraries(zavek_encode PUBLIC zavek_encode_rules zavek_psmime zavek_keyfuncs zavek_secure
                        zavek_pgpiface_texts user32 PhaseTimes)
  target_link_libraries(zavek_encode PUBLIC zavek_keydialog zavek_pgpdialogs) # recipients and passphrases
  target_link_libraries(zavek_encode PUBLIC zavek_x509funcs zavek_certstore) # S/MIME signers, recipients, viewer
endif()

# The decoder: its signature-state rule is portable (both builds); the job over the SDK is Windows
# code and joins the PGP interface, whose decode operations it serves.
add_library(zavek_decode_state STATIC ${CMAKE_CURRENT_LIST_DIR}/PGPDecodeSig.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PGPDecodeTexts.cpp)
if(ZAVEK_WINDOWS)
  add_library(zavek_decode STATIC
    ${CMAKE_CURRENT_LIST_DIR}/PGPDecode.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PGPDecodeEvents.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PGPDecodeLookup.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PGPDecodeViewer.cpp)
  target_link_libraries(zavek_decode PUBLIC zavek_decode_state zavek_keyfuncs zavek_secure zavek_psmime zavek_x509funcs
    zavek_pgpdialogs WindowUtils PhaseTimes)
endif()

# Certificates in the key database: the chain blob and status mapping are portable (both builds);
# the operations on the key database are Windows code over the bound SDK.
add_library(zavek_x509chain STATIC ${CMAKE_CURRENT_LIST_DIR}/X509Chain.cpp)
if(ZAVEK_WINDOWS)
  add_library(zavek_x509funcs STATIC ${CMAKE_CURRENT_LIST_DIR}/X509Funcs.cpp)
  target_link_libraries(zavek_x509funcs PUBLIC zavek_x509chain zavek_keyfuncs zavek_asn1tools zavek_secure zavek_pgpdialogs UserIDs zavek_strutil)
endif()

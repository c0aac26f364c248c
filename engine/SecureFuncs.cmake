# Passphrase cache and file wiping: the wipe patterns are portable (both builds); the cache, the
# secure memory and the wipe itself are Windows code.
add_library(zavek_secure STATIC ${CMAKE_CURRENT_LIST_DIR}/SecureFuncsPattern.cpp)
if(ZAVEK_WINDOWS)
  target_sources(zavek_secure PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/SecureFuncs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SecureFuncsWipe.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SecureFuncsSdk.cpp)
  target_link_libraries(zavek_secure PUBLIC zavek_prefs engine_sdk Isaac user32)
endif()

# Key functions: the key and certificate lists and their text forms are portable (both builds);
# the SDK readers, the shared key store and the queries are Windows code.
add_library(zavek_keytypes STATIC
  ${CMAKE_CURRENT_LIST_DIR}/KeyFuncsTypes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KeyFuncsText.cpp)
target_link_libraries(zavek_keytypes PUBLIC zavek_framework_core)
if(ZAVEK_WINDOWS)
  add_library(zavek_keyfuncs STATIC
    ${CMAKE_CURRENT_LIST_DIR}/KeyFuncs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/KeyFuncsQueries.cpp
    ${CMAKE_CURRENT_LIST_DIR}/KeyRings.cpp)
  target_link_libraries(zavek_keyfuncs PUBLIC zavek_keytypes engine_sdk UTF8 TimeUtils zavek_strutil zavek_asn1tools)
endif()

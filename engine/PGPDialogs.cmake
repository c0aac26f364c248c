# The PGP libraries' dialogs and the client-library adapters: the client key-server record in both
# builds, the dialog wrappers, their hooks and key import and export on Windows.
add_library(zavek_pgpcl_records STATIC ${CMAKE_CURRENT_LIST_DIR}/pgpCLRecords.cpp)
if(ZAVEK_WINDOWS)
  add_library(zavek_pgpdialogs STATIC
    ${CMAKE_CURRENT_LIST_DIR}/pgpCL.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PGPDialogs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PGPDialogsHooks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PGPDialogsKeys.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PGPDialogsServers.cpp)
  target_link_libraries(zavek_pgpdialogs PUBLIC zavek_pgpcl_records zavek_keyfuncs zavek_secure zavek_prefs engine_sdk
                        comctl32 user32)
endif()

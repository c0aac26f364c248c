# The PGP libraries' dialogs and the client-library adapters: the adapters and the client key-server
# record in both builds, the dialog wrappers, their hooks, key servers, import and export on Windows.
add_library(zavek_pgpcl STATIC ${CMAKE_CURRENT_LIST_DIR}/pgpCLRecords.cpp ${CMAKE_CURRENT_LIST_DIR}/pgpCL.cpp)
target_link_libraries(zavek_pgpcl PUBLIC engine_sdk)
if(ZAVEK_WINDOWS)
  add_library(zavek_pgpdialogs STATIC
    ${CMAKE_CURRENT_LIST_DIR}/PGPDialogs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PGPDialogsHooks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PGPDialogsKeys.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PGPDialogsServers.cpp)
  target_link_libraries(zavek_pgpdialogs PUBLIC zavek_pgpcl zavek_keyfuncs zavek_secure zavek_prefs engine_sdk
                        comctl32 user32)
endif()

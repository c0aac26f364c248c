# PGP desktop preferences: portable parsing and readers (both builds); the Windows platform side
# (registry, files, code pages, the shared instance) only in the Windows build.
add_library(zavek_prefs STATIC
  ${CMAKE_CURRENT_LIST_DIR}/PrefFuncs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PrefFuncsParse.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PrefFuncsGen1.cpp)
target_link_libraries(zavek_prefs PUBLIC zavek_strutil zavek_framework_core engine_sdk)
if(ZAVEK_WINDOWS)
  target_sources(zavek_prefs PRIVATE ${CMAKE_CURRENT_LIST_DIR}/PrefFuncsWin.cpp)
  target_link_libraries(zavek_prefs PUBLIC UTF8 shell32 advapi32)
endif()

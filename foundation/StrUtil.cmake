# StrUtil and StrTools: the portable string half (also in the native sanitizer build) and the
# Windows system half, which links the portable one.
add_library(zavek_strutil STATIC
  ${CMAKE_CURRENT_LIST_DIR}/StrTools.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StrUtil.cpp)
target_link_libraries(zavek_strutil PUBLIC zavek_framework_core)

if(ZAVEK_WINDOWS)
  add_library(zavek_strutil_win STATIC
    ${CMAKE_CURRENT_LIST_DIR}/StrUtilWin.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StrUtilFiles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StrUtilSystem.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StrUtilVersion.cpp)
  target_link_libraries(zavek_strutil_win PUBLIC zavek_strutil zavek_framework shlwapi shell32 mpr advapi32 version user32)
endif()

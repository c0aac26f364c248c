# The about box: its window-free rules in both builds, the dialog itself for Windows.
add_library(zavek_about_rules STATIC ${CMAKE_CURRENT_LIST_DIR}/dialogs/AboutRules.cpp)
target_include_directories(zavek_about_rules PUBLIC ${PROJECT_SOURCE_DIR})
if(ZAVEK_WINDOWS)
  add_library(zavek_aboutdialog STATIC ${CMAKE_CURRENT_LIST_DIR}/dialogs/AboutDialog.cpp)
  target_link_libraries(zavek_aboutdialog PUBLIC zavek_about_rules zavek_ui_dialogs zavek_small_controls WebInterface)
endif()

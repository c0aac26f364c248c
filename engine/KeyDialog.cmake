# The key selection dialog: its window-free rules in both builds, the dialog on Windows. Template 10
# must end up in the module that runs the dialog, and the linker takes resources only from objects
# on its command line, so the compiled template travels to every consumer's link as an object.
add_library(zavek_keydialog_rules STATIC ${CMAKE_CURRENT_LIST_DIR}/KeyDialogRules.cpp)
target_link_libraries(zavek_keydialog_rules PUBLIC zavek_keytypes)
if(ZAVEK_WINDOWS)
  enable_language(RC)
  add_library(zavek_keydialog_template OBJECT ${CMAKE_CURRENT_LIST_DIR}/KeyDialog.rc)
  add_library(zavek_keydialog STATIC ${CMAKE_CURRENT_LIST_DIR}/KeyDialog.cpp)
  target_link_libraries(zavek_keydialog PUBLIC zavek_keydialog_rules comctl32 gdi32 user32)
  target_link_libraries(zavek_keydialog INTERFACE $<TARGET_OBJECTS:zavek_keydialog_template>)
  add_dependencies(zavek_keydialog zavek_keydialog_template)
endif()

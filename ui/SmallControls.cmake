# The small controls of the dialogs: the spin edit's rules (portable, both builds) and the edits,
# combo box, page control, group box and menu control (Windows only).
add_library(zavek_spin_rules STATIC ${CMAKE_CURRENT_LIST_DIR}/controls/SpinRules.cpp)
target_include_directories(zavek_spin_rules PUBLIC ${PROJECT_SOURCE_DIR})

if(ZAVEK_WINDOWS)
  add_library(zavek_small_controls STATIC
    ${CMAKE_CURRENT_LIST_DIR}/controls/CBExtend.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controls/GroupBoxEx.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controls/MaskEdEx.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controls/MenuControl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controls/PageCtrlEx.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controls/PropSubclass.cpp)
  target_link_libraries(zavek_small_controls PUBLIC zavek_spin_rules zavek_tooltip comctl32 uxtheme gdi32)
endif()

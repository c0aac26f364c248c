# The plug-in's own buttons, check boxes and hot label (Windows only).
if(ZAVEK_WINDOWS)
  add_library(zavek_ui_controls STATIC
    ${CMAKE_CURRENT_LIST_DIR}/controls/ThemeApi.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controls/HotLabel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controls/CustBtnCtrl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controls/CustRadio.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controls/FlatBtn.cpp)
  target_include_directories(zavek_ui_controls PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(zavek_ui_controls PUBLIC zavek_framework WindowUtils uxtheme)
  # Flat buttons show their hints in a tooltip of their own.
  target_link_libraries(zavek_ui_controls PUBLIC zavek_tooltip)
endif()

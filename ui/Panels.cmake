# Framed panels, aligned shapes, the gauge and the coloured size grip (Windows only).
if(ZAVEK_WINDOWS)
  add_library(zavek_panels STATIC
    ${CMAKE_CURRENT_LIST_DIR}/controls/ExtCtrlsEx.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controls/Gauges3d.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controls/ColGrip.cpp)
  target_link_libraries(zavek_panels PUBLIC zavek_ui_controls comctl32 uxtheme gdi32)
endif()

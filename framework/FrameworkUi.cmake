# The form and control part of the class framework (Windows only), added to zavek_framework.
if(ZAVEK_WINDOWS)
  target_sources(zavek_framework PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Application.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ComCtrls.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Components.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Controls.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ExtCtrls.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Forms.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Graphics.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Menus.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PrintJob.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StdCtrls.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Subclassing.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Threads.cpp)
  target_link_libraries(zavek_framework PUBLIC user32 gdi32 comctl32 msimg32)
endif()

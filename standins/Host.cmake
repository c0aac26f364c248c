# The stand-in mail client WINPM-32.EXE (tests and the demo only, never shipped), staged into Host\.
if(ZAVEK_WINDOWS)
  enable_language(RC)
  add_executable(StandInHost WIN32
    ${CMAKE_CURRENT_LIST_DIR}/host/HostMain.cpp
    ${CMAKE_CURRENT_LIST_DIR}/host/HostWindows.cpp
    ${CMAKE_CURRENT_LIST_DIR}/host/HostRequests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/host/HostToolbar.cpp
    ${CMAKE_CURRENT_LIST_DIR}/host/HostSettings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/host/HostScript.cpp
    ${CMAKE_CURRENT_LIST_DIR}/host/HostLog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/host/DialogAnswerer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/host/HostRegistry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/host/HostForms.cpp
    ${CMAKE_CURRENT_LIST_DIR}/host/HostCapture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/host/HostResources.rc)
  target_link_libraries(StandInHost PRIVATE user32 gdi32 shell32 msimg32 psapi)
  set_target_properties(StandInHost PROPERTIES OUTPUT_NAME WINPM-32 SUFFIX .EXE)
  zavek_stage(StandInHost Host)
  # Its German language library (strings and dialogs only), loaded by the script step "language de".
  add_library(StandInHostDE SHARED ${CMAKE_CURRENT_LIST_DIR}/host/LanguageLibrary.cpp
                                   ${CMAKE_CURRENT_LIST_DIR}/host/WPM32DE.rc)
  set_target_properties(StandInHostDE PROPERTIES PREFIX "" OUTPUT_NAME WPM32DE SUFFIX .DLL)
  zavek_stage(StandInHostDE Host)
endif()

# The stand-in mail client's steps that inspect the plug-in's menus, buttons and subclassed windows.
if(ZAVEK_WINDOWS)
  target_sources(StandInHost PRIVATE ${CMAKE_CURRENT_LIST_DIR}/host/HostInspect.cpp)
endif()

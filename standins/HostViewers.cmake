# The stand-in mail client's steps that open a message in a reader and walk the plug-in's viewers.
if(ZAVEK_WINDOWS)
  target_sources(StandInHost PRIVATE ${CMAKE_CURRENT_LIST_DIR}/host/HostViewers.cpp)
endif()

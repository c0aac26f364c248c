# The stand-in mail client's encryption dialog of an editor (script steps "encdialog", "encclick").
if(ZAVEK_WINDOWS)
  target_sources(StandInHost PRIVATE ${CMAKE_CURRENT_LIST_DIR}/host/HostEncryptionDialog.cpp)
endif()

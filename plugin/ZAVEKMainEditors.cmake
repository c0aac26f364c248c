# The main object's handling of the mail client's editors and of their sends.
if(ZAVEK_WINDOWS)
  target_sources(ZAVEKPluginCore PRIVATE ${CMAKE_CURRENT_LIST_DIR}/MainClassEditors.cpp)
endif()

# The plug-in library that the mail client loads.
if(ZAVEK_WINDOWS)
  add_library(ZAVEKMain SHARED ${CMAKE_CURRENT_LIST_DIR}/Exports.cpp ${CMAKE_CURRENT_LIST_DIR}/ZAVEKMain.def)
  set_target_properties(ZAVEKMain PROPERTIES PREFIX "" OUTPUT_NAME ZAVEKMain)
  zavek_stage(ZAVEKMain Plugin)
endif()

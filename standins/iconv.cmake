# Stand-in iconv library over the Windows code pages, staged into the mail client's folder under
# the file name the charset unit loads.
if(ZAVEK_WINDOWS)
  add_library(IConv SHARED ${CMAKE_CURRENT_LIST_DIR}/iconv/IConv.cpp ${CMAKE_CURRENT_LIST_DIR}/iconv/IConv.def)
  set_target_properties(IConv PROPERTIES PREFIX "" OUTPUT_NAME IConv)
  zavek_stage(IConv Host)
endif()

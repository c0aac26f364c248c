# Stand-in companion library, staged beside the plug-in library.
if(ZAVEK_WINDOWS)
  add_library(ZAVEKCryptor SHARED ${CMAKE_CURRENT_LIST_DIR}/cryptor/Cryptor.cpp)
  set_target_properties(ZAVEKCryptor PROPERTIES PREFIX "" OUTPUT_NAME ZAVEKCryptor)
  zavek_stage(ZAVEKCryptor Plugin)
endif()

# The Windows certificate stores (Windows only): Crypt32 and CryptUI are bound by name at run time.
if(ZAVEK_WINDOWS)
  add_library(zavek_certstore STATIC ${CMAKE_CURRENT_LIST_DIR}/CertStore.cpp)
  target_link_libraries(zavek_certstore PUBLIC zavek_x509funcs zavek_framework user32)
endif()

# GnuPG interop of the stand-in SDK's OpenPGP code: native build only (gpg runs on Linux).
if(NOT ZAVEK_WINDOWS)
  zavek_add_test(NAME GpgKeyInteropTest NATIVE SOURCES ${CMAKE_CURRENT_LIST_DIR}/GpgKeyInteropTest.cpp
                 LIBS pgpsdk_openpgp TIMEOUT 600)
endif()

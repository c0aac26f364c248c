# GnuPG interop of the stand-in SDK's OpenPGP code: native build only (gpg runs on Linux).
if(NOT ZAVEK_WINDOWS)
  zavek_add_test(NAME GpgKeyInteropTest NATIVE SOURCES ${CMAKE_CURRENT_LIST_DIR}/GpgKeyInteropTest.cpp
                 LIBS pgpsdk_openpgp TIMEOUT 600)
endif()
if(NOT ZAVEK_WINDOWS)
  zavek_add_test(NAME GpgKeyDBInteropTest NATIVE TIMEOUT 600
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/GpgKeyDBInteropTest.cpp
            ${PROJECT_SOURCE_DIR}/standins/pgpsdk/NotYet.cpp ${PROJECT_SOURCE_DIR}/standins/pgpsdk/PassphraseCache.cpp
            $<TARGET_OBJECTS:pgpsdk_runtime> LIBS pgpsdk_openpgp)
endif()
if(NOT ZAVEK_WINDOWS)
  zavek_add_test(NAME GpgMessageInteropTest NATIVE TIMEOUT 600
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/GpgMessageInteropTest.cpp
            ${PROJECT_SOURCE_DIR}/standins/pgpsdk/NotYet.cpp ${PROJECT_SOURCE_DIR}/standins/pgpsdk/PassphraseCache.cpp
            $<TARGET_OBJECTS:pgpsdk_runtime> LIBS pgpsdk_openpgp)
endif()

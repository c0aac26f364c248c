# The stand-in core's certificate-chain check: libksba parses, libgcrypt verifies (Windows only,
# added to every core variant).
if(ZAVEK_WINDOWS)
  find_library(ZAVEK_KSBA_STATIC NAMES libksba.a REQUIRED)
  foreach(variant IN LISTS PGPSDK_VARIANTS)
    string(REPLACE "|" ";" fields "${variant}")
    list(GET fields 0 gen)
    target_sources(PGPSDK_g${gen} PRIVATE ${PGPSDK_SRC}/X509Verify.cpp)
    target_link_libraries(PGPSDK_g${gen} PRIVATE ${ZAVEK_KSBA_STATIC} ${ZAVEK_GPGERROR_STATIC})
  endforeach()
endif()

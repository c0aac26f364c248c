# X.509 certificates in the stand-in core: certificate signatures in the key database (both
# builds), and on Windows the certificate reader, the revocation lists and the chain check over
# libksba and libgcrypt, added to every core variant, with the CMS (S/MIME) codec.
target_sources(pgpsdk_runtime PRIVATE ${PGPSDK_SRC}/X509Certs.cpp)
if(ZAVEK_WINDOWS)
  find_library(ZAVEK_KSBA_STATIC NAMES libksba.a REQUIRED)
  foreach(variant IN LISTS PGPSDK_VARIANTS)
    string(REPLACE "|" ";" fields "${variant}")
    list(GET fields 0 gen)
    target_sources(PGPSDK_g${gen} PRIVATE ${PGPSDK_SRC}/X509Verify.cpp ${PGPSDK_SRC}/X509Read.cpp ${PGPSDK_SRC}/X509Crl.cpp
      ${PGPSDK_SRC}/X509Pkcs12.cpp ${PGPSDK_SRC}/CmsSupport.cpp ${PGPSDK_SRC}/CmsEncode.cpp ${PGPSDK_SRC}/CmsDecode.cpp)
    target_link_libraries(PGPSDK_g${gen} PRIVATE ${ZAVEK_KSBA_STATIC} ${ZAVEK_GPGERROR_STATIC})
  endforeach()
endif()

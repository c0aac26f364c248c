# MailUtils: the raw-message model (sections, headers, encodings, dates). Portable: built in both
# builds; Windows services reach it only through MailServices (the charset unit on Windows).
set(MAILUTILS_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/MailRange.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MailServices.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MailText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MailUtils.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MailUtilsEncodings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MailUtilsDates.cpp)
add_library(MailUtils STATIC ${MAILUTILS_SOURCES})
target_link_libraries(MailUtils PUBLIC zavek_strutil Base64 TimeUtils UTF8Codec)
if(ZAVEK_WINDOWS)
  target_sources(MailUtils PRIVATE ${CMAKE_CURRENT_LIST_DIR}/MailServicesCharsets.cpp)
  target_link_libraries(MailUtils PUBLIC UTF8)
else()
  target_sources(MailUtils PRIVATE ${CMAKE_CURRENT_LIST_DIR}/MailServicesPortable.cpp)
endif()

# The fuzz targets link a coverage-instrumented copy, so that libFuzzer is guided by the model's
# own branches and not only by the target's.
if(ZAVEK_FUZZ)
  add_library(MailUtilsFuzzing STATIC ${MAILUTILS_SOURCES} ${CMAKE_CURRENT_LIST_DIR}/MailServicesPortable.cpp)
  target_compile_options(MailUtilsFuzzing PRIVATE -fsanitize=fuzzer-no-link)
  target_link_libraries(MailUtilsFuzzing PUBLIC zavek_strutil Base64 TimeUtils UTF8Codec)
endif()

# MailUtils: the raw-message model (sections, headers, encodings, dates). Portable: built in both
# builds; Windows services reach it only through MailServices (the charset unit on Windows).
add_library(MailUtils STATIC
  ${CMAKE_CURRENT_LIST_DIR}/MailRange.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MailServices.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MailText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MailUtils.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MailUtilsEncodings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MailUtilsDates.cpp)
target_link_libraries(MailUtils PUBLIC zavek_strutil Base64 TimeUtils UTF8Codec)
if(ZAVEK_WINDOWS)
  target_sources(MailUtils PRIVATE ${CMAKE_CURRENT_LIST_DIR}/MailServicesCharsets.cpp)
  target_link_libraries(MailUtils PUBLIC UTF8)
else()
  target_sources(MailUtils PRIVATE ${CMAKE_CURRENT_LIST_DIR}/MailServicesPortable.cpp)
endif()

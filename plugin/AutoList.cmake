# The recipient key list (AutoListHandler) and its file binding and message recipients
# (RecipientsData): portable in both builds; the Windows build adds the locale compare, the
# shell open and the key source over the key store.
add_library(ZAVEKAutoList STATIC
  ${CMAKE_CURRENT_LIST_DIR}/AutoListHandler.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecipientsData.cpp)
target_link_libraries(ZAVEKAutoList PUBLIC zavek_keytypes zavek_strutil ZAVEKCommon UserIDs)
if(ZAVEK_WINDOWS)
  target_sources(ZAVEKAutoList PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/AutoListFileWin.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AutoListWin.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RecipientsDataWin.cpp)
  target_link_libraries(ZAVEKAutoList PUBLIC zavek_keyfuncs shell32)
else()
  target_sources(ZAVEKAutoList PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/AutoListFilePosix.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AutoListCompare.cpp)
endif()
# The mail client's address books: records and name resolution in both builds, the folders and
# the OEM texts on Windows.
add_library(ZAVEKAddressBooks STATIC ${CMAKE_CURRENT_LIST_DIR}/AddressBooks.cpp)
target_link_libraries(ZAVEKAddressBooks PUBLIC ZAVEKAutoList MailUtils UserIDs zavek_strutil)
if(ZAVEK_WINDOWS)
  target_sources(ZAVEKAddressBooks PRIVATE ${CMAKE_CURRENT_LIST_DIR}/AddressBooksWin.cpp)
  target_link_libraries(ZAVEKAddressBooks PUBLIC user32)
endif()

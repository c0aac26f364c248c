# The recipient list bound to AutoList.txt and the message's recipient choices (RecipientsData):
# portable in both builds; the Windows build adds the key source over the key store and the
# recipient list dialog as the send's chooser.
add_library(ZAVEKAutoList STATIC ${CMAKE_CURRENT_LIST_DIR}/RecipientsData.cpp)
target_link_libraries(ZAVEKAutoList PUBLIC zavek_autolist)
if(ZAVEK_WINDOWS)
  target_sources(ZAVEKAutoList PRIVATE ${CMAKE_CURRENT_LIST_DIR}/RecipientsDataWin.cpp)
  target_link_libraries(ZAVEKAutoList PUBLIC zavek_keyfuncs)
  add_library(ZAVEKAutoListChooser STATIC ${CMAKE_CURRENT_LIST_DIR}/AutoListChooser.cpp)
  target_link_libraries(ZAVEKAutoListChooser PUBLIC ZAVEKAutoList zavek_autolistdialog)
endif()
# The mail client's address books: records and name resolution in both builds, the folders and
# the OEM texts on Windows.
add_library(ZAVEKAddressBooks STATIC ${CMAKE_CURRENT_LIST_DIR}/AddressBooks.cpp)
target_link_libraries(ZAVEKAddressBooks PUBLIC ZAVEKAutoList MailUtils UserIDs zavek_strutil)
if(ZAVEK_WINDOWS)
  target_sources(ZAVEKAddressBooks PRIVATE ${CMAKE_CURRENT_LIST_DIR}/AddressBooksWin.cpp)
  target_link_libraries(ZAVEKAddressBooks PUBLIC user32)
endif()

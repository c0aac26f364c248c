# Tests of the recipient key list and the message recipients (both builds), and the replay of
# the list-file fuzzer's saved inputs.
zavek_add_test(NAME plugin_AutoList NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/AutoListHandlerTest.cpp ${CMAKE_CURRENT_LIST_DIR}/RecipientsDataTest.cpp
  LIBS ZAVEKAutoList)
zavek_add_fuzzer(NAME AutoListFuzz SOURCE ${CMAKE_CURRENT_LIST_DIR}/AutoListFuzz.cpp LIBS ZAVEKAutoList
  CORPUS ${PROJECT_SOURCE_DIR}/tests/data/autolist/corpus)
# Against the stand-in SDK's key database on the GnuPG-made key rings of the engine tests.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME plugin_AutoListKeyRing SOURCES ${CMAKE_CURRENT_LIST_DIR}/AutoListKeyRingTest.cpp
                 LIBS ZAVEKAutoList)
  target_compile_definitions(plugin_AutoListKeyRing PRIVATE ZAVEK_PGPSDK_VARIANTS="${CMAKE_BINARY_DIR}/pgpsdk"
                             ZAVEK_KEY_FIXTURES="${CMAKE_BINARY_DIR}/keyfixtures")
  add_dependencies(plugin_AutoListKeyRing pgpsdk_variant_g13 key_fixtures)
endif()
# The address books' records and name resolution (both builds); their folders under Wine.
zavek_add_test(NAME plugin_AddressBooks NATIVE SOURCES ${CMAKE_CURRENT_LIST_DIR}/AddressBooksTest.cpp
               LIBS ZAVEKAddressBooks)
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME plugin_AddressBookFolders SOURCES ${CMAKE_CURRENT_LIST_DIR}/AddressBookFoldersTest.cpp
                 LIBS ZAVEKAddressBooks)
endif()

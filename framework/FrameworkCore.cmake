# The class framework's core: the portable part (lists, string lists, streams, exceptions, unit
# registry) in zavek_framework_core; the Windows part (file streams, library binding, ini files,
# registry access) in zavek_framework.
add_library(zavek_framework_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Exceptions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StringLists.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Streams.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UnitRegistry.cpp)

if(ZAVEK_WINDOWS)
  add_library(zavek_framework STATIC
    ${CMAKE_CURRENT_LIST_DIR}/StreamsWin.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LibraryBinding.cpp
    ${CMAKE_CURRENT_LIST_DIR}/IniFiles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Registry.cpp)
  target_link_libraries(zavek_framework PUBLIC zavek_framework_core advapi32)
endif()

# The stand-in PGPsdk libraries. The runtime objects build in both builds (the native build tests
# them with sanitizers); the five DLLs, their generation variants and the staging are Windows only.
set(PGPSDK_SRC ${CMAKE_CURRENT_LIST_DIR}/pgpsdk)

add_library(pgpsdk_runtime OBJECT
  ${PGPSDK_SRC}/HandleTable.cpp ${PGPSDK_SRC}/Options.cpp ${PGPSDK_SRC}/Runtime.cpp
  ${PGPSDK_SRC}/StatusTable.cpp ${PGPSDK_SRC}/Memory.cpp ${PGPSDK_SRC}/KeyIDs.cpp
  ${PGPSDK_SRC}/TestHooks.cpp ${PGPSDK_SRC}/KeyDB.cpp ${PGPSDK_SRC}/KeyProperties.cpp
  ${PGPSDK_SRC}/KeyDBWrite.cpp ${PGPSDK_SRC}/FileCommit.cpp ${PGPSDK_SRC}/Output.cpp ${PGPSDK_SRC}/Groups.cpp
  ${PGPSDK_SRC}/Encode.cpp ${PGPSDK_SRC}/Decode.cpp ${PGPSDK_SRC}/DialogSupport.cpp)
# Compiled per core variant (the generation-2 one leaves the named passphrase cache out).
set(PGPSDK_VARIANT_SOURCES ${PGPSDK_SRC}/NotYet.cpp ${PGPSDK_SRC}/PassphraseCache.cpp)

# The OpenPGP codec over libgcrypt (static in the Windows build, the system's natively).
add_library(pgpsdk_openpgp OBJECT
  ${PGPSDK_SRC}/openpgp/Packets.cpp ${PGPSDK_SRC}/openpgp/Armor.cpp ${PGPSDK_SRC}/openpgp/Crypto.cpp
  ${PGPSDK_SRC}/openpgp/S2K.cpp ${PGPSDK_SRC}/openpgp/KeyPackets.cpp ${PGPSDK_SRC}/openpgp/Signature.cpp
  ${PGPSDK_SRC}/openpgp/KeyRing.cpp ${PGPSDK_SRC}/openpgp/Verify.cpp ${PGPSDK_SRC}/openpgp/Compression.cpp
  ${PGPSDK_SRC}/openpgp/Message.cpp ${PGPSDK_SRC}/openpgp/Grammar.cpp)
if(ZAVEK_WINDOWS)
  find_library(ZAVEK_GCRYPT_STATIC NAMES libgcrypt.a REQUIRED)
  find_library(ZAVEK_GPGERROR_STATIC NAMES libgpg-error.a REQUIRED)
  find_library(ZAVEK_ZLIB_STATIC NAMES libz.a REQUIRED)
  target_link_libraries(pgpsdk_openpgp PUBLIC ${ZAVEK_GCRYPT_STATIC} ${ZAVEK_GPGERROR_STATIC} ${ZAVEK_ZLIB_STATIC} ws2_32 bcrypt)
else()
  target_link_libraries(pgpsdk_openpgp PUBLIC gcrypt gpg-error z)
  if(ZAVEK_FUZZ) # coverage for the fuzzers
    target_compile_options(pgpsdk_openpgp PRIVATE -fsanitize=fuzzer-no-link)
    target_compile_options(pgpsdk_runtime PRIVATE -fsanitize=fuzzer-no-link)
  endif()
endif()

if(ZAVEK_WINDOWS)
  enable_language(RC)

  add_library(PGPsdkNL SHARED ${PGPSDK_SRC}/NetworkLib.cpp ${PGPSDK_SRC}/KeyServers.cpp)
  target_link_libraries(PGPsdkNL PRIVATE ws2_32)
  add_library(PGPsdkUI SHARED ${PGPSDK_SRC}/UILib.cpp ${PGPSDK_SRC}/DialogAnswers.cpp ${PGPSDK_SRC}/PassphraseDialog.cpp
              ${PGPSDK_SRC}/AnswersFile.cpp ${PGPSDK_SRC}/KeyServerSearch.cpp)
  target_link_libraries(PGPsdkUI PRIVATE user32)
  add_library(PGPcl SHARED ${PGPSDK_SRC}/ClientLib.cpp ${PGPSDK_SRC}/ClientLib.def ${PGPSDK_SRC}/ClientVersion.rc
              ${PGPSDK_SRC}/KeySelectDialog.cpp ${PGPSDK_SRC}/AnswersFile.cpp ${PGPSDK_SRC}/DialogAnswers.cpp)
  add_library(PGPsc SHARED ${PGPSDK_SRC}/SupportLib.cpp ${PGPSDK_SRC}/SecureViewer.cpp ${PGPSDK_SRC}/AnswersFile.cpp
              ${PGPSDK_SRC}/DialogAnswers.cpp)
  target_link_libraries(PGPsc PRIVATE user32)
  target_link_libraries(PGPcl PRIVATE user32)
  foreach(lib PGPsdkNL PGPsdkUI PGPcl PGPsc)
    set_target_properties(${lib} PROPERTIES PREFIX "" OUTPUT_NAME ${lib})
  endforeach()

  # One core per generation: the same objects relinked with another version resource. Each variant
  # folder holds a complete SDK (client library under the name that generation loads).
  #   generation | SDK version (resource numbers) | SDK version text | PGP version text
  set(PGPSDK_VARIANTS
    "13|4,2,0|4.2.0|10.2.0" "11|3,12,0|3.12.0|9.12.0" "8|3,9,0|3.9.0|9.7.0"
    "5|3,5,0|3.5.0|9.0.0" "4|3,2,0|3.2.0|8.1.0" "2|2,0,0|2.0.0|7.0.3")
  set(PGPSDK_VARIANT_ROOT ${CMAKE_BINARY_DIR}/pgpsdk)
  foreach(variant IN LISTS PGPSDK_VARIANTS)
    string(REPLACE "|" ";" fields "${variant}")
    list(GET fields 0 gen)
    list(GET fields 1 SDK_COMMA)
    list(GET fields 2 SDK_TEXT)
    list(GET fields 3 PGP_TEXT)
    configure_file(${PGPSDK_SRC}/CoreVersion.rc.in ${CMAKE_CURRENT_BINARY_DIR}/pgpsdk/CoreVersion_g${gen}.rc @ONLY)
    add_library(PGPSDK_g${gen} SHARED $<TARGET_OBJECTS:pgpsdk_runtime> ${PGPSDK_SRC}/Version.cpp
                ${PGPSDK_VARIANT_SOURCES} ${CMAKE_CURRENT_BINARY_DIR}/pgpsdk/CoreVersion_g${gen}.rc)
    if(gen EQUAL 2)
      target_compile_definitions(PGPSDK_g${gen} PRIVATE STANDIN_WITHOUT_NAMED_CACHE)
    endif()
    target_link_libraries(PGPSDK_g${gen} PRIVATE pgpsdk_openpgp version)
    set(folder ${PGPSDK_VARIANT_ROOT}/g${gen})
    set_target_properties(PGPSDK_g${gen} PROPERTIES PREFIX "" OUTPUT_NAME PGPSDK RUNTIME_OUTPUT_DIRECTORY ${folder}
                          ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/pgpsdk/g${gen})
    if(gen GREATER_EQUAL 2 AND gen LESS_EQUAL 4)
      set(client_name PGPclientLib.dll)
    else()
      set(client_name PGPcl.dll)
    endif()
    add_custom_target(pgpsdk_variant_g${gen} ALL
      COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:PGPsdkNL> $<TARGET_FILE:PGPsdkUI>
              $<TARGET_FILE:PGPsc> ${folder}/
      COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:PGPcl> ${folder}/${client_name}
      DEPENDS PGPSDK_g${gen} PGPsdkNL PGPsdkUI PGPcl PGPsc)
  endforeach()

  # The default SDK (generation 13) in the stage's SDK folder, the client also as PGPclientLib.dll.
  foreach(lib PGPSDK_g13 PGPsdkNL PGPsdkUI PGPcl PGPsc)
    zavek_stage(${lib} PGPsdk)
  endforeach()
  add_custom_target(stage_PGPclientLib
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:PGPcl> ${ZAVEK_STAGE_DIR}/PGPsdk/PGPclientLib.dll
    DEPENDS PGPcl stage_PGPcl)
  add_dependencies(stage stage_PGPclientLib)
endif()

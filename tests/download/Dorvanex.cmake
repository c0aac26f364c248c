# The download library: its caption formatter in both builds; the library through its exports
# against a loopback HTTP server under Wine.
zavek_add_test(NAME DownloadCaptionTest NATIVE SOURCES ${CMAKE_CURRENT_LIST_DIR}/DownloadCaptionTest.cpp
               LIBS DownloadCaption)
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME DorvanexTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/DorvanexTest.cpp LIBS ws2_32)
  target_compile_definitions(DorvanexTest PRIVATE ZAVEK_DORVANEX="$<TARGET_FILE:Dorvanex>")
  add_dependencies(DorvanexTest Dorvanex)
endif()

# Stand-in iconv library over the Windows code pages, staged into the mail client's folder under
# the file name the charset unit loads. A second build exports only the three conversion calls,
# for tests of a library without the optional entry points (not staged).
if(ZAVEK_WINDOWS)
  add_library(IConv SHARED ${CMAKE_CURRENT_LIST_DIR}/iconv/IConv.cpp ${CMAKE_CURRENT_LIST_DIR}/iconv/IConv.def)
  set_target_properties(IConv PROPERTIES PREFIX "" OUTPUT_NAME IConv)
  zavek_stage(IConv Host)

  add_library(IConvMinimal SHARED ${CMAKE_CURRENT_LIST_DIR}/iconv/IConv.cpp
                                  ${CMAKE_CURRENT_LIST_DIR}/iconv/IConvMinimal.def)
  set_target_properties(IConvMinimal PROPERTIES PREFIX "" OUTPUT_NAME IConv
                        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/iconv-minimal
                        ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/standins/iconv-minimal)
endif()

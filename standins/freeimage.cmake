# Stand-in picture library over GDI+, exporting the decorated names the picture unit binds. It is
# built into its own folder, so that programs find it only where a test points them, and staged
# into the host's folder only when the real library has not been built.
if(ZAVEK_WINDOWS)
  add_library(FreeImageStandIn SHARED ${CMAKE_CURRENT_LIST_DIR}/freeimage/FreeImage.cpp
                                      ${CMAKE_CURRENT_LIST_DIR}/freeimage/FreeImage.def)
  target_link_libraries(FreeImageStandIn PRIVATE gdiplus ole32)
  set_target_properties(FreeImageStandIn PROPERTIES PREFIX "" OUTPUT_NAME FreeImage
                        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/freeimage
                        ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/standins/freeimage)
  if(NOT EXISTS ${ZAVEK_FREEIMAGE_DLL})
    zavek_stage(FreeImageStandIn Host)
  endif()
endif()

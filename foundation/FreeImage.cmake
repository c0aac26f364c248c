# Picture conversion: the run-time binding of the FreeImage library (Windows only). The
# FreeImage.dll that deps/build-freeimage caches is staged into the host's folder; without it the
# stand-in library of standins/ takes its place there.
if(ZAVEK_WINDOWS)
  add_library(FreeImage STATIC ${CMAKE_CURRENT_LIST_DIR}/FreeImage.cpp)
  target_link_libraries(FreeImage PUBLIC FileUtilsWin WindowUtils zavek_strutil_win zavek_framework)

  if(DEFINED ENV{ZAVEK_DEPS_CACHE})
    set(ZAVEK_FREEIMAGE_DLL "$ENV{ZAVEK_DEPS_CACHE}/freeimage${ZAVEK_DEPS_SUFFIX}/FreeImage.dll" CACHE INTERNAL "")
  else()
    set(ZAVEK_FREEIMAGE_DLL "$ENV{HOME}/.cache/zavek/deps/freeimage${ZAVEK_DEPS_SUFFIX}/FreeImage.dll" CACHE INTERNAL "")
  endif()
  if(EXISTS ${ZAVEK_FREEIMAGE_DLL})
    add_custom_target(stage_FreeImage
      COMMAND ${CMAKE_COMMAND} -E make_directory ${ZAVEK_STAGE_DIR}/Host
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ZAVEK_FREEIMAGE_DLL} ${ZAVEK_STAGE_DIR}/Host/FreeImage.dll)
    add_dependencies(stage stage_FreeImage)
  else()
    message(WARNING "FreeImage.dll not found (${ZAVEK_FREEIMAGE_DLL}): run deps/build-freeimage")
  endif()
endif()

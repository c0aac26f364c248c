# HTML clean-up: the text half in both builds; the libtidy binding on Windows. The LibTidy.dll
# that deps/build-libtidy caches is staged into the host's folder.
add_library(TidyText STATIC ${CMAKE_CURRENT_LIST_DIR}/TidyText.cpp)
target_link_libraries(TidyText PUBLIC zavek_strutil)

if(ZAVEK_WINDOWS)
  add_library(Tidy STATIC ${CMAKE_CURRENT_LIST_DIR}/Tidy.cpp)
  target_link_libraries(Tidy PUBLIC TidyText zavek_framework zavek_strutil_win)

  if(DEFINED ENV{ZAVEK_DEPS_CACHE})
    set(ZAVEK_LIBTIDY_DLL "$ENV{ZAVEK_DEPS_CACHE}/tidy-html5${ZAVEK_DEPS_SUFFIX}/LibTidy.dll" CACHE INTERNAL "")
  else()
    set(ZAVEK_LIBTIDY_DLL "$ENV{HOME}/.cache/zavek/deps/tidy-html5${ZAVEK_DEPS_SUFFIX}/LibTidy.dll" CACHE INTERNAL "")
  endif()
  if(EXISTS ${ZAVEK_LIBTIDY_DLL})
    add_custom_target(stage_LibTidy
      COMMAND ${CMAKE_COMMAND} -E make_directory ${ZAVEK_STAGE_DIR}/Host
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ZAVEK_LIBTIDY_DLL} ${ZAVEK_STAGE_DIR}/Host/LibTidy.dll)
    add_dependencies(stage stage_LibTidy)
  else()
    message(WARNING "LibTidy.dll not found (${ZAVEK_LIBTIDY_DLL}): run deps/build-libtidy")
  endif()
endif()

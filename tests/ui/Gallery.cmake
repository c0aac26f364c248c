# The gallery: a picture (with the plug-in's own pictures) of every dialog at 96 and at 120 DPI under gallery/ in the build tree,
# with the checks of what a user would see as unfinished. Each run sets the prefix's DPI for a
# moment, so nothing else runs beside it.
if(ZAVEK_WINDOWS)
  zavek_add_test(NAME gallery_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/GalleryTest.cpp ${PROJECT_SOURCE_DIR}/resources/bitmaps/Pictures.rc
    LIBS zavek_configdialog zavek_aboutdialog zavek_autolistdialog zavek_keydialog zavek_pgpdialogs zavek_textviewer zavek_imageviewer zavek_msgtreedialog
         zavek_searchdialog zavek_ui_dialogs zavek_ui_harness ws2_32 TIMEOUT 240)
  # The passphrase dialog is the SDK's: the stand-in's is pictured.
  target_compile_definitions(gallery_test PRIVATE ZAVEK_PGPSDK_VARIANTS="${CMAKE_BINARY_DIR}/pgpsdk")
  add_dependencies(gallery_test pgpsdk_variant_g13)
  set_tests_properties(gallery_test PROPERTIES RUN_SERIAL TRUE
    ENVIRONMENT "ZAVEK_GALLERY_DPI=96;ZAVEK_CAPTURE_DIR=${CMAKE_CURRENT_BINARY_DIR}/gallery")
  add_test(NAME gallery_120dpi_test COMMAND gallery_test --gtest_brief=1)
  set_tests_properties(gallery_120dpi_test PROPERTIES RUN_SERIAL TRUE TIMEOUT 240
    ENVIRONMENT "ZAVEK_GALLERY_DPI=120;ZAVEK_CAPTURE_DIR=${CMAKE_CURRENT_BINARY_DIR}/gallery")
  file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/gallery)
endif()

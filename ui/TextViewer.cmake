# The text viewer: its window-free rules in both builds, the form on Windows.
add_library(zavek_textviewer_rules STATIC ${CMAKE_CURRENT_LIST_DIR}/dialogs/TextViewerRules.cpp)
target_include_directories(zavek_textviewer_rules PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(zavek_textviewer_rules PUBLIC RichEd20Text)

if(ZAVEK_WINDOWS)
  add_library(zavek_textviewer STATIC ${CMAKE_CURRENT_LIST_DIR}/dialogs/TextViewer.cpp)
  target_link_libraries(zavek_textviewer PUBLIC zavek_textviewer_rules zavek_searchdialog zavek_dropedit
    zavek_panels zavek_ui_dialogs DatedMessages PartTexts MailUtils KeyFileDialogs FileUtilsWin)
endif()

# The rich-edit control: its window-free text and print rules in both builds; the control with its
# drop, OLE and clipboard companions and its printing on Windows.
add_library(zavek_dropedit_text STATIC
  ${CMAKE_CURRENT_LIST_DIR}/controls/DropEditText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/controls/DropEditPrintText.cpp)
target_link_libraries(zavek_dropedit_text PUBLIC RichEd20Text zavek_framework_core)

if(ZAVEK_WINDOWS)
  add_library(zavek_dropedit STATIC
    ${CMAKE_CURRENT_LIST_DIR}/controls/DropEdit.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controls/DropEditInput.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controls/DropEditInternal.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controls/DropEditLinks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controls/DropEditPrint.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controls/DropFiles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controls/RichOleCallback.cpp)
  target_link_libraries(zavek_dropedit PUBLIC zavek_dropedit_text zavek_printdlg zavek_tooltip RichEd20
    DatedStrings ole32 oleaut32 uuid shell32 gdi32)
endif()

# Part texts and files: rendering, the HTML rewrite, cid references and part file names are
# portable (both builds); on Windows the services bind libtidy, the rich-text unit and temp names.
add_library(PartTexts STATIC
  ${CMAKE_CURRENT_LIST_DIR}/PartTexts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PartFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PartTextServices.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MimeMsgTreeView.cpp)
target_link_libraries(PartTexts PUBLIC MimeMsgTree RichEd20Text FileUtils TidyText)
if(ZAVEK_WINDOWS)
  target_sources(PartTexts PRIVATE ${CMAKE_CURRENT_LIST_DIR}/PartTextsWin.cpp)
  target_link_libraries(PartTexts PUBLIC RichEd20 Tidy FileUtilsWin)
else()
  target_sources(PartTexts PRIVATE ${CMAKE_CURRENT_LIST_DIR}/PartTextsNative.cpp)
endif()

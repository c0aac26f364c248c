# The rich-edit control's window-free rules (address runs, link texts, footer formatting, header
# shortening, print layout), in both builds.
zavek_add_test(NAME dropedit_text_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/DropEditTextTest.cpp
  LIBS zavek_dropedit_text NATIVE)

# Mail-body builders, in both builds.
zavek_add_test(NAME PSMimeToolsTest NATIVE SOURCES ${CMAKE_CURRENT_LIST_DIR}/PSMimeToolsTest.cpp LIBS zavek_psmime)

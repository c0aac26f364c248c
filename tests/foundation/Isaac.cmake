# ISAAC tests, both builds.
zavek_add_test(NAME Isaac_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/IsaacTest.cpp LIBS Isaac NATIVE)

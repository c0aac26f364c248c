# Cross toolchain: 64-bit Windows. The test build where the machine cannot run 32-bit programs; the
# deliverables stay 32-bit.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

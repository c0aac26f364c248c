# The tree view wrapper of the class framework (Windows only), added to zavek_framework.
if(ZAVEK_WINDOWS)
  target_sources(zavek_framework PRIVATE ${CMAKE_CURRENT_LIST_DIR}/TreeView.cpp)
endif()

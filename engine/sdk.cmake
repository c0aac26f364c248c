# The engine's SDK binding: interface declaration, loader, procedure table and adapters. The
# declaration, the generation table and the adapters are portable and also build natively.
set(ENGINE_SDK_SRC ${CMAKE_CURRENT_LIST_DIR}/sdk)
add_library(engine_sdk STATIC
  ${ENGINE_SDK_SRC}/pgpBaseCommon.cpp ${ENGINE_SDK_SRC}/pgpBindingsCommon.cpp ${ENGINE_SDK_SRC}/pgpAdapters.cpp)
if(ZAVEK_WINDOWS)
  target_sources(engine_sdk PRIVATE ${ENGINE_SDK_SRC}/pgpBase.cpp ${ENGINE_SDK_SRC}/pgpBindings.cpp
                 ${ENGINE_SDK_SRC}/pgpService.cpp ${ENGINE_SDK_SRC}/pgpSupportText.cpp)
  target_link_libraries(engine_sdk PUBLIC zavek_framework version advapi32 shell32 user32)
endif()

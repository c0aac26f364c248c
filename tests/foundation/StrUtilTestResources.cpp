// The code part of the StrUtil tests' resource library; the library exists for its resources.
extern "C" __declspec(dllexport) int StrUtilTestResourcesPresent() { return 1; }

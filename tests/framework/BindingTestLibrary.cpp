// A tiny library for the binding tests: exports one function by name.
extern "C" __declspec(dllexport) int __stdcall TwiceOf(int value)
{
    return 2 * value;
}

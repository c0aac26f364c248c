// A library without exports: the helper's tests load it as a plug-in library that lacks the
// command's ordinal.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}

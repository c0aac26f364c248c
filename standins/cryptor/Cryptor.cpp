// Stand-in for the companion library the plug-in loads at start-up and keeps loaded. The plug-in
// never calls into it; it only has to be a loadable library of that name.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}

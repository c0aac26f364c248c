// Helper program: maps its first command-line word to one export of the plug-in library.
// The mapping comes with the helper's own work; until then it refuses every command.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return 1;
}

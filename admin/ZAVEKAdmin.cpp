// Administrator program: runs elevated and passes its arguments on to the helper program.
// Until that hand-over is built it refuses every command.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return 1;
}

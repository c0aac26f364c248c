// Stands in for the helper program in the administrator program's tests: writes its raw command
// line to args.txt beside itself and ends.
#include <windows.h>

#include <cstdio>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string file = path;
    file = file.substr(0, file.rfind('\\') + 1) + "args.txt";
    if (FILE* out = std::fopen(file.c_str(), "wb")) {
        std::fputs(GetCommandLineA(), out);
        std::fclose(out);
    }
    return 0;
}

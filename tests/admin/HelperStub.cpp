// Stands in for the helper program in the administrator program's tests: writes its raw command
// line to args.txt beside itself and ends. The file appears whole (written aside, then renamed), so
// that a test that sees it can read it at once.
#include <windows.h>

#include <cstdio>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string file = path;
    file = file.substr(0, file.rfind('\\') + 1) + "args.txt";
    const std::string aside = file + ".part";
    if (FILE* out = std::fopen(aside.c_str(), "wb")) {
        std::fputs(GetCommandLineA(), out);
        std::fclose(out);
        MoveFileExA(aside.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    return 0;
}

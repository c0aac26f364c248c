// Stands in for the user's browser and mail program in the help tests: appends its command line
// to browser.log beside itself and, when its argument names an existing file, that file's text.
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    folder = folder.substr(0, folder.rfind('\\') + 1);
    std::ofstream log(folder + "browser.log", std::ios::binary | std::ios::app);
    log << "line: " << GetCommandLineA() << "\n";
    if (__argc > 1) {
        std::ifstream page(__argv[1], std::ios::binary);
        if (page) {
            std::ostringstream text;
            text << page.rdbuf();
            log << "page: " << text.str() << "\n";
        }
    }
    return 0;
}

// Stands in for the user's browser and mail program in the help tests: appends its command line
// to browser.log beside itself and, when its argument names an existing file, that file's text. The
// log is replaced whole (written aside, then renamed), so that a test that sees it can read it at once.
#include <windows.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    folder = folder.substr(0, folder.rfind('\\') + 1);
    const std::string logName = folder + "browser.log", aside = logName + ".part";
    std::ifstream earlier(logName, std::ios::binary);
    std::ostringstream log;
    log << std::string(std::istreambuf_iterator<char>(earlier), {});
    log << "line: " << GetCommandLineA() << "\n";
    if (__argc > 1) {
        std::ifstream page(__argv[1], std::ios::binary);
        if (page) {
            std::ostringstream text;
            text << page.rdbuf();
            log << "page: " << text.str() << "\n";
        }
    }
    if (std::ofstream(aside, std::ios::binary) << log.str())
        MoveFileExA(aside.c_str(), logName.c_str(), MOVEFILE_REPLACE_EXISTING);
    return 0;
}

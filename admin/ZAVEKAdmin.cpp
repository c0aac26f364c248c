// Administrator program: its manifest asks Windows for administrator rights; it passes its whole
// argument text on to the helper program in its own folder and ends. Nothing is reported.
#include "foundation/Processes.h"
#include "helper/HelperCommands.h"

#include <windows.h>

#include <string>

namespace {

constexpr const char* HELPER_PROGRAM = "ZAVEKHelper.exe";
constexpr uint32_t IDLE_WAIT_SECONDS = 10;

std::string GetProgramFolder()
{
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? ProgramFolderOf(std::string(path, length)) : std::string();
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    RunProgram(nullptr, "", GetProgramFolder() + HELPER_PROGRAM, ArgsAfterProgramName(GetCommandLineA()), "",
        SW_SHOWNORMAL, IDLE_WAIT_SECONDS);
    return 0;
}

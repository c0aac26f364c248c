// Helper program: runs one command of the plug-in library outside the mail client. Its first
// command-line word names the command; the matching export of ZAVEKMain.dll in the program's folder
// is bound by ordinal, called with the arguments of the command line, and the library is freed.
#include "foundation/ZAVEKCommon.h"
#include "helper/HelperCommands.h"
#include "plugin/Exports.h"

#include <windows.h>

#include <cstdlib>
#include <string>
#include <type_traits>
#include <vector>

namespace {

constexpr const char* MAIN_LIBRARY = "ZAVEKMain.dll";

// The export kinds, typed from the plug-in's own declarations: the commands of one kind share it.
using TTextExport = decltype(&::PGPHELP);
using TPlainExport = decltype(&::CLEANUP);
using TRestartExport = decltype(&::PMRESTART);
using TFlagExport = decltype(&::SYNCTIME);
static_assert(std::is_same_v<TTextExport, decltype(&::USERSETUP)> && std::is_same_v<TTextExport, decltype(&::USERUPDATE)>
    && std::is_same_v<TTextExport, decltype(&::HTMLPAGE)> && std::is_same_v<TTextExport, decltype(&::MANUAL)>
    && std::is_same_v<TPlainExport, decltype(&::USERUNINSTALL)>);

std::string ProgramPath()
{
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
}

std::string GetProgramFolder()
{
    return ProgramFolderOf(ProgramPath());
}

std::vector<std::string> CommandLineArguments()
{
    std::vector<std::string> arguments;
    for (int i = 0; i < __argc; ++i)
        arguments.emplace_back(__argv[i] ? __argv[i] : "");
    return arguments;
}

// The export at ordinal, with the library loaded; null after the system's error text was shown.
// The helper binds no SDK of its own: the plug-in library binds it at its first export call, in
// this process as in the mail client's, so a second binding here would only load it twice.
FARPROC BindMainExport(int ordinal)
{
    SetLastError(0);
    HMODULE library = LoadLibraryA((GetProgramFolder() + MAIN_LIBRARY).c_str());
    FARPROC entry = library ? GetProcAddress(library, MAKEINTRESOURCEA(ordinal)) : nullptr;
    if (!entry)
        ShowSystemErrorBox(GetLastError());
    return entry;
}

void FreeMainLibrary()
{
    if (HMODULE library = GetModuleHandleA(MAIN_LIBRARY))
        FreeLibrary(library);
}

void CallExport(FARPROC entry, const THelperCommand& command)
{
    switch (command.Argument) {
    case THelperArgument::EmptyText:
    case THelperArgument::JoinedArguments:
    case THelperArgument::RawTail:
        reinterpret_cast<TTextExport>(entry)(command.Text.c_str());
        break;
    case THelperArgument::NoArgument:
        reinterpret_cast<TPlainExport>(entry)();
        break;
    case THelperArgument::IdentityAndWindow:
        reinterpret_cast<TRestartExport>(entry)(command.Text.c_str(), reinterpret_cast<HWND>(command.Window));
        break;
    case THelperArgument::Flag:
        reinterpret_cast<TFlagExport>(entry)(command.Flag ? TRUE : FALSE);
        break;
    }
}

void RunCommand()
{
    const THelperCommand command = ResolveHelperCommand(GetCommandLineA(), CommandLineArguments());
    if (command.Ordinal == 0)
        return;
    if (FARPROC entry = BindMainExport(command.Ordinal))
        CallExport(entry, command);
    FreeMainLibrary();
}

// Owns the single-instance mutex until the program ends.
class TInstanceMutex {
public:
    TInstanceMutex()
        : handle_(CreateMutexA(nullptr, TRUE, HelperMutexName(ProgramPath()).c_str()))
        , existed_(GetLastError() == ERROR_ALREADY_EXISTS)
    {
    }
    ~TInstanceMutex()
    {
        if (handle_)
            CloseHandle(handle_);
    }
    TInstanceMutex(const TInstanceMutex&) = delete;
    TInstanceMutex& operator=(const TInstanceMutex&) = delete;

    bool IsAlreadyRunning() const { return existed_; }

private:
    HANDLE handle_;
    bool existed_;
};

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    TInstanceMutex instance;
    if (!instance.IsAlreadyRunning())
        RunCommand();
    return 0;
}

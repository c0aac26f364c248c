// Runs a built program from a scratch folder of its own and reads the files it leaves there; the
// helper's and the administrator program's tests share it.
#pragma once

#include "support/ScratchFolder.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

// The folder of the running test program, where the build puts every program and library.
inline std::string BuildFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.rfind('\\') + 1);
}

inline bool CopyFromBuild(const std::string& builtName, const std::string& target)
{
    return CopyFileA((BuildFolder() + builtName).c_str(), target.c_str(), FALSE) != FALSE;
}

inline std::string ReadText(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct TProgramExit {
    bool Started = false;
    DWORD StartError = 0; // the system's error when the program could not be started
    DWORD Code = STILL_ACTIVE;
};

// Starts program with the whole command line given and waits at most timeoutMs for it to end.
inline TProgramExit RunProgramLine(const std::string& program, const std::string& commandLine, DWORD timeoutMs = 20000)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    TProgramExit result;
    for (int attempt = 0; attempt < 2 && !result.Started; ++attempt) {
        result.Started = CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                        &startup, &process)
            != FALSE;
        result.StartError = result.Started ? 0 : GetLastError();
        // Wine's own failure, seen rarely under load: the new process died in Wine's start-up before
        // any of the program ran. Started once more, and said so; any other refusal stands.
        if (result.StartError == ERROR_INTERNAL_ERROR)
            std::fprintf(stderr, "Wine failed to start %s (error %lu)%s\n", program.c_str(), result.StartError,
                         attempt == 0 ? "; starting it once more" : "");
        else
            break;
    }
    if (!result.Started)
        return result;
    if (WaitForSingleObject(process.hProcess, timeoutMs) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 99);
    GetExitCodeProcess(process.hProcess, &result.Code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

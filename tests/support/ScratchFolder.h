// A folder of its own under the temporary folder for one test, emptied and removed at its end.
#pragma once

#include <windows.h>

#include <string>

// Deletes the files directly in a folder (path with a trailing backslash).
inline void DeleteFilesIn(const std::string& path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileA((path + found.cFileName).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

class TScratchFolder {
public:
    explicit TScratchFolder(const std::string& name)
    {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        path = std::string(temp) + name + "-" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(path.c_str(), nullptr);
    }
    ~TScratchFolder()
    {
        DeleteFilesIn(path);
        RemoveDirectoryA(path.c_str());
    }
    TScratchFolder(const TScratchFolder&) = delete;
    TScratchFolder& operator=(const TScratchFolder&) = delete;

    std::string path; // with a trailing backslash
};

// The stand-in libraries' log for tests: lines appended, as UTF-8, to the file named by
// PGPSTANDIN_LOG; nothing without it.
#pragma once

#include <windows.h>

#include <fstream>
#include <string>

namespace standin {

inline void AppendToLog(const std::string& utf8)
{
    char logPath[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("PGPSTANDIN_LOG", logPath, sizeof logPath);
    if (length == 0 || length >= sizeof logPath)
        return;
    std::ofstream(logPath, std::ios::binary | std::ios::app) << utf8 << "\r\n";
}

inline std::string Utf8Of(const std::wstring& wide)
{
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0,
                                          nullptr, nullptr);
    std::string utf8(bytes > 0 ? bytes : 0, '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), utf8.data(), bytes, nullptr,
                            nullptr);
    return utf8;
}

} // namespace standin

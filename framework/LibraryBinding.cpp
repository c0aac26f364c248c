// Full-path library loading and binding of functions by name.
#include "framework/LibraryBinding.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <utility>

bool IsFullPath(const std::string& path) noexcept
{
    const auto isSeparator = [](char c) { return c == '\\' || c == '/'; };
    if (path.size() >= 3 && ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') && path[1] == ':'
        && isSeparator(path[2]))
        return true;
    return path.size() >= 3 && isSeparator(path[0]) && isSeparator(path[1]) && !isSeparator(path[2]);
}

TLibrary::TLibrary(const std::string& fullPath) noexcept
{
    if (!IsFullPath(fullPath)) {
        lastError_ = ERROR_INVALID_PARAMETER;
        return;
    }
    // The altered search order needs a path with backslashes.
    std::string path = fullPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    module_ = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module_)
        lastError_ = GetLastError();
}

TLibrary::~TLibrary()
{
    Free();
}

TLibrary::TLibrary(TLibrary&& other) noexcept
    : module_(std::exchange(other.module_, nullptr))
    , lastError_(other.lastError_)
{
}

TLibrary& TLibrary::operator=(TLibrary&& other) noexcept
{
    if (this != &other) {
        Free();
        module_ = std::exchange(other.module_, nullptr);
        lastError_ = other.lastError_;
    }
    return *this;
}

void TLibrary::Free() noexcept
{
    if (module_)
        FreeLibrary(std::exchange(module_, nullptr));
}

std::vector<std::string> BindProcs(HMODULE module, std::span<const ProcBinding> table)
{
    std::vector<std::string> missing;
    for (const ProcBinding& row : table) {
        *row.slot = module ? GetProcAddress(module, row.name) : nullptr;
        if (!*row.slot)
            missing.emplace_back(row.name);
    }
    return missing;
}

std::string SystemFolderPath(const char* name)
{
    char folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::string() : std::string(folder) + "\\" + name;
}

HMODULE SystemLibrary(const char* name) noexcept
{
    // Keyed by the names the callers spell, which are constants: one load per library.
    static std::mutex guard;
    static std::map<std::string, TLibrary> loaded;
    try {
        const std::lock_guard<std::mutex> lock(guard);
        auto found = loaded.find(name);
        if (found == loaded.end())
            found = loaded.emplace(name, TLibrary(SystemFolderPath(name))).first;
        return found->second.Handle();
    } catch (...) {
        return nullptr;
    }
}

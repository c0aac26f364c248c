// Loading an outside library by its full path into an owner that frees it, and binding its
// functions by name into procedure variables. A function the library lacks leaves its variable
// null; the binding reports which names were missing.
#pragma once

#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include <windows.h>

// True for "C:\..." and "\\server\share\..." paths; bare names and relative paths are refused so
// that the search path can never supply a library from elsewhere.
bool IsFullPath(const std::string& path) noexcept;

class TLibrary {
public:
    TLibrary() noexcept = default;
    // Loads by full path (dependencies are looked up in the library's own folder first). A path that
    // is not full, or a failed load, gives an empty owner; LastError() tells why.
    explicit TLibrary(const std::string& fullPath) noexcept;
    ~TLibrary();
    TLibrary(TLibrary&& other) noexcept;
    TLibrary& operator=(TLibrary&& other) noexcept;
    TLibrary(const TLibrary&) = delete;
    TLibrary& operator=(const TLibrary&) = delete;

    HMODULE Handle() const noexcept { return module_; }
    explicit operator bool() const noexcept { return module_ != nullptr; }
    DWORD LastError() const noexcept { return lastError_; }
    void Free() noexcept;

private:
    HMODULE module_ = nullptr;
    DWORD lastError_ = 0;
};

// One row of a binding table: the exported name and the procedure variable it fills.
struct ProcBinding {
    const char* name;
    FARPROC* slot;
};

template <typename Function> ProcBinding BindProc(const char* name, Function*& variable) noexcept
{
    return { name, reinterpret_cast<FARPROC*>(&variable) };
}

// Fills every slot from module (null when module is null or the name is absent); returns the names
// that were not found, in table order.
std::vector<std::string> BindProcs(HMODULE module, std::span<const ProcBinding> table);

// The full path of a library in the Windows system folder (empty when the folder cannot be read).
std::string SystemFolderPath(const char* name);

// The system folder's library of that name, loaded at its first use and kept for the process's
// life, as an import would be; null when it cannot be loaded.
HMODULE SystemLibrary(const char* name) noexcept;

// A function of a system library bound by name at its first use. Function is the type of the
// function's own declaration (SYSTEM_PROC takes it from there), so its calling convention and
// parameters are the compiler's to check at every call; null when it cannot be had.
template <typename Function> Function BindSystemProc(const char* library, const char* name) noexcept
{
    static_assert(std::is_pointer_v<Function> && std::is_function_v<std::remove_pointer_t<Function>>);
    const HMODULE module = SystemLibrary(library);
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

#define SYSTEM_PROC(library, Name) BindSystemProc<decltype(&::Name)>(library, #Name)

// A binding-table row whose variable must have the type of the function's own declaration.
#define DECLARED_PROC(Name, variable)                                                              \
    (static_cast<void>(static_cast<decltype(&::Name)*>(&(variable))), BindProc(#Name, variable))

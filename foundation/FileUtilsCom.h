// Internal to FileUtils: an owning pointer for COM interfaces, a scope that makes sure the calling
// thread has a COM apartment while shell objects are used, and ANSI text for the wide shell calls.
#pragma once

#include <objbase.h>

#include <string>

inline std::wstring AnsiToWideString(const std::string& Text)
{
    const int n = MultiByteToWideChar(CP_ACP, 0, Text.data(), static_cast<int>(Text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, Text.data(), static_cast<int>(Text.size()), wide.data(), n);
    return wide;
}

template <typename Interface> class TComPtr {
public:
    TComPtr() = default;
    ~TComPtr() { Reset(); }
    TComPtr(const TComPtr&) = delete;
    TComPtr& operator=(const TComPtr&) = delete;

    Interface* Get() const noexcept { return pointer_; }
    Interface* operator->() const noexcept { return pointer_; }
    explicit operator bool() const noexcept { return pointer_ != nullptr; }
    // For calls that hand out a new reference; releases the one held first.
    Interface** Out() noexcept
    {
        Reset();
        return &pointer_;
    }
    void** OutVoid() noexcept { return reinterpret_cast<void**>(Out()); }
    // Gives up ownership (the caller releases).
    Interface* Detach() noexcept
    {
        Interface* p = pointer_;
        pointer_ = nullptr;
        return p;
    }
    void Reset() noexcept
    {
        if (pointer_)
            pointer_->Release();
        pointer_ = nullptr;
    }

private:
    Interface* pointer_ = nullptr;
};

// Initialises COM on the thread for the scope when it was not yet (a thread that already has
// another apartment kind keeps it).
class TComScope {
public:
    TComScope()
        : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
    {
    }
    ~TComScope()
    {
        if (initialized_)
            CoUninitialize();
    }
    TComScope(const TComScope&) = delete;
    TComScope& operator=(const TComScope&) = delete;

private:
    bool initialized_;
};

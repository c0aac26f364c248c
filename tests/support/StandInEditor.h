// Test access to the stand-in editor library: its folder in the build tree, its call log, its
// count of memory blocks not yet given back, and a parent window for editor controls.
#pragma once

#include <windows.h>

#include <string>

inline std::string ProgramFolderOfTest()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH - 1);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

class TStandInEditorLog {
public:
    explicit TStandInEditorLog(HMODULE library)
        : get_(reinterpret_cast<GetLog>(reinterpret_cast<void*>(GetProcAddress(library, "StandinTerGetLog"))))
        , clear_(reinterpret_cast<ClearLog>(reinterpret_cast<void*>(GetProcAddress(library, "StandinTerClearLog"))))
        , blocks_(reinterpret_cast<Blocks>(reinterpret_cast<void*>(GetProcAddress(library, "StandinTerOutstandingBlocks"))))
    {
    }
    std::string Text() const
    {
        if (!get_)
            return {};
        std::string text(size_t(get_(nullptr, 0)) + 1, '\0');
        get_(text.data(), int(text.size()));
        text.resize(text.size() - 1);
        return text;
    }
    void Clear() const
    {
        if (clear_)
            clear_();
    }
    int OutstandingBlocks() const { return blocks_ ? blocks_() : -1; }

private:
    using GetLog = int(WINAPI*)(char*, int);
    using ClearLog = void(WINAPI*)();
    using Blocks = int(WINAPI*)();
    GetLog get_;
    ClearLog clear_;
    Blocks blocks_;
};

// A top-level window of class "STATIC" that holds the controls of one test.
class TParentWindow {
public:
    TParentWindow()
        : window(CreateWindowExA(0, "STATIC", "editor test", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr,
            GetModuleHandleA(nullptr), nullptr))
    {
    }
    ~TParentWindow() { DestroyWindow(window); }
    TParentWindow(const TParentWindow&) = delete;
    TParentWindow& operator=(const TParentWindow&) = delete;
    HWND window;
};

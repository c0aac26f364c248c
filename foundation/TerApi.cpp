// The one loader of the editor library and its HTML add-on: chooses the file the mail client uses,
// loads it from the mail client's folder (never from the current directory) and binds every entry
// point by name. The libraries stay loaded for the life of the process.
#include "foundation/TerApi.h"

#include "foundation/StrUtilWin.h"

#include <algorithm>
#include <cstring>

namespace TerApi {
namespace {

bool SameNameIgnoringCase(const std::string& a, const std::string& b)
{
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

template <typename Proc> void Bind(HMODULE module, const char* name, Proc& proc)
{
    proc = module ? reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

void BindEditor(TEntries& e)
{
#define ZAVEK_TER_BIND(name, result, params) Bind(e.Editor, #name, e.name);
    ZAVEK_TER_ENTRIES(ZAVEK_TER_BIND)
#undef ZAVEK_TER_BIND
}

void BindHtml(TEntries& e)
{
#define ZAVEK_TER_BIND(name, result, params) Bind(e.Html, #name, e.name);
    ZAVEK_HTS_ENTRIES(ZAVEK_TER_BIND)
#undef ZAVEK_TER_BIND
}

} // namespace

std::string FindEditorLibrary(
    const std::string& folder, const std::string& pattern, const std::string& defaultName, bool newerHost)
{
    if (!newerHost)
        return folder + defaultName;
    std::string defaultFile, otherFile;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((folder + pattern).c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            if (SameNameIgnoringCase(data.cFileName, defaultName))
                defaultFile = data.cFileName;
            else
                otherFile = data.cFileName;
        } while (FindNextFileA(search, &data));
        FindClose(search);
    }
    // A bare file name makes LoadLibraryA hand back the module the mail client already loaded.
    if (!defaultFile.empty() && GetModuleHandleA(defaultFile.c_str()))
        return defaultFile;
    if (!otherFile.empty() && GetModuleHandleA(otherFile.c_str()))
        return otherFile;
    return folder + defaultName;
}

bool LoadEditorLibraries(const std::string& folder, bool newerHost, TEntries& entries)
{
    const std::string editorFile = FindEditorLibrary(folder, "TER??.DLL", "TER32.DLL", newerHost);
    entries.Editor = LoadLibraryA(editorFile.c_str());
    BindEditor(entries);
    entries.Html = LoadLibraryA(FindEditorLibrary(folder, "HTS??.DLL", "HTS32.DLL", newerHost).c_str());
    BindHtml(entries);
    if (entries.Editor) {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(entries.Editor, path, MAX_PATH - 1);
        entries.Version = std::to_string(GetFileVersionNumber(path, true));
    }
    return entries.Editor && entries.Html;
}

std::string TakeGlobalText(HGLOBAL block, LONG size)
{
    std::string text;
    if (!block)
        return text;
    if (const char* data = static_cast<const char*>(GlobalLock(block))) {
        const size_t available = GlobalSize(block);
        const size_t length = size > 0 ? std::min<size_t>(size_t(size), available) : strnlen(data, available);
        text.assign(data, strnlen(data, length));
        GlobalUnlock(block);
    }
    FreeGlobalZeroed(block);
    return text;
}

std::wstring TakeGlobalWideText(HGLOBAL block, LONG size)
{
    std::wstring text;
    if (!block)
        return text;
    if (const wchar_t* data = static_cast<const wchar_t*>(GlobalLock(block))) {
        const size_t available = GlobalSize(block) / sizeof(wchar_t);
        const size_t length = size > 0 ? std::min<size_t>(size_t(size), available) : available;
        text.assign(data, wcsnlen(data, length));
        GlobalUnlock(block);
    }
    FreeGlobalZeroed(block);
    return text;
}

void FreeGlobalZeroed(HGLOBAL block)
{
    if (!block)
        return;
    if (void* data = GlobalLock(block)) {
        SecureZeroMemory(data, GlobalSize(block));
        GlobalUnlock(block);
    }
    GlobalFree(block);
}

} // namespace TerApi
